#include "serial/counter_store.h"

#include "config/model.h"
#include "config/product.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "serial/serial_format.h"

#include <limits>

namespace tavik {

namespace {

constexpr int32_t MaxIndex = std::numeric_limits<int32_t>::max();

QString section()
{
    return QStringLiteral("nextSerialNumbers");
}

} // namespace

CounterStore::Draw LocalCounterStore::next(const QString &name, bool create)
{
    Draw draw;
    m_settings.update(
        product::title(), section(), name, [&](const std::optional<QString> &current) -> std::optional<QString> {
            if (!current) {
                if (!create)
                    return std::nullopt;
                draw = {Outcome::Drawn, 0};
                return QStringLiteral("1");
            }
            // Anything but plain digits (a hand-edited entry, say) is left for the user to repair
            // rather than guessed at. The last index cannot be handed out: the counter would have
            // nowhere to go.
            const std::optional<int32_t> index = parseDecimalDigits(*current);
            if (!index || *index == MaxIndex) {
                draw = {Outcome::Unusable, -1};
                return std::nullopt;
            }
            draw = {Outcome::Drawn, *index};
            return QString::number(*index + 1);
        });
    return draw;
}

std::optional<QString> LocalCounterStore::entry(const QString &name)
{
    return m_settings.value(product::title(), section(), name);
}

void LocalCounterStore::set(const QString &name, int64_t nextIndex)
{
    if (nextIndex < 0 || nextIndex > MaxIndex)
        throw RuntimeError(err::Overflow, errorDescription(err::Overflow));
    m_settings.write(product::title(), section(), name, QString::number(nextIndex));
}

void LocalCounterStore::reset(const QString &name)
{
    set(name, 1);
}

QString keyReference(const CPItem &serialItem)
{
    return serialItem.options.empty() ? QString() : serialItem.options.front().values[1];
}

std::optional<QString> counterName(const CPItem *keyItem, const QString &keyValue)
{
    if (!keyItem)
        return product::title();
    if (keyValue.isEmpty())
        return std::nullopt;
    return keyItem->CPTag + QChar(0x00B7) + keyValue;
}

std::optional<QString> resolveCounterName(const CPItem *keyItem, const QString &keyValue, Prompts &prompts)
{
    std::optional<QString> name = counterName(keyItem, keyValue);
    if (!name)
        prompts.message(QStringLiteral("Key value [") + keyItem->CPTag + QStringLiteral("] is empty.      "),
            product::title() + QStringLiteral(": Warning"), MessageIcon::Exclamation, MessageButtons::Ok);
    return name;
}

NextNumber getNextNum(CPItem &serialItem, const CPItem *keyItem, const std::optional<QString> &keyValue,
    CounterStore &store, Prompts &prompts)
{
    NextNumber result;
    try {
        if (keyItem && !keyValue)
            return result;
        const std::optional<QString> name = resolveCounterName(keyItem, keyValue.value_or(QString()), prompts);
        if (!name)
            return result;
        result.serialKey = *name;

        CounterStore::Draw draw = store.next(*name, false);
        if (draw.outcome == CounterStore::Outcome::Missing) {
            const MessageAnswer answer = prompts.message(
                QStringLiteral("Create a new index for [") + *name + QStringLiteral("] ?     "),
                product::title() + QStringLiteral(": Create new index"), MessageIcon::Question, MessageButtons::YesNo);
            if (answer != MessageAnswer::Yes)
                return result;
            draw = store.next(*name, true);
        }
        if (draw.outcome != CounterStore::Outcome::Drawn)
            return result;
        result.number = validateSerialNumber(
            draw.index, serialItem.prototype, serialItem.minVal, serialItem.maxVal, serialItem.incVal, prompts);
    } catch (const std::exception &e) {
        // Without the box the field would just stay empty and the user would not learn that the
        // counters cannot be reached.
        if (dynamic_cast<const SettingsError *>(&e) || dynamic_cast<const CounterStoreError *>(&e))
            prompts.message(errorFromException(e).description, product::title() + QStringLiteral(": Error"),
                MessageIcon::Critical, MessageButtons::Ok);
        result.number = -1;
    }
    return result;
}

} // namespace tavik

#include "batch/batch_number.h"

#include "batch/batch_document.h"
#include "batch/document_walk.h"
#include "batch/progress.h"
#include "config/product.h"
#include "host/document_file_error.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "serial/counter_store.h"
#include "serial/serial_format.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavik {

namespace {

const QString PendingSection = QStringLiteral("batchPendingNumbers");

// Numbers drawn and not yet known to be in their document, one entry per document and item. The
// store compares keys without regard to case, so the key is a digest of the path and the item and
// the entry names both again.
class PendingNumbers {
public:
    PendingNumbers(SettingsStore &settings, const QString &path, const QString &tag)
        : m_settings(settings)
        , m_path(path)
        , m_tag(tag)
        , m_key(QString::fromLatin1(
              QCryptographicHash::hash((path + QLatin1Char('\n') + tag).toUtf8(), QCryptographicHash::Sha256).toHex()))
    {
    }

    std::optional<QString> number() const
    {
        const std::optional<QString> text = m_settings.value(product::title(), PendingSection, m_key);
        if (!text)
            return std::nullopt;
        const QJsonObject o = QJsonDocument::fromJson(text->toUtf8()).object();
        if (o[u"path"].toString() != m_path || o[u"item"].toString() != m_tag || !o[u"number"].isString())
            return std::nullopt;
        return o[u"number"].toString();
    }
    void record(const QString &number)
    {
        const QJsonObject o{
            {QStringLiteral("path"), m_path}, {QStringLiteral("item"), m_tag}, {QStringLiteral("number"), number}};
        m_settings.write(product::title(), PendingSection, m_key,
            QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    }
    void clear() { m_settings.deleteKey(product::title(), PendingSection, m_key); }

private:
    SettingsStore &m_settings;
    QString m_path;
    QString m_tag;
    QString m_key;
};

} // namespace

QStringList numberLevels(const CPItem &item, const QStringList &configurations)
{
    QStringList levels;
    if (item.location != OnlyConfigurations)
        levels << QString();
    if (item.location == OnlyConfigurations || (item.sameForAllConfigs && item.location != OnlyDocument))
        levels += configurations;
    return levels;
}

NumberOutcome numberDocuments(const BatchConfiguration &config, const CPItem &item, const NumberRequest &request,
    CounterStore &counters, SettingsStore &settings, Prompts &prompts, Progress &progress, QString &documentTitle)
{
    NumberOutcome outcome;
    const CPItem *keyItem = findItemByTag(*config.state, item.f_idx, keyReference(item));
    bool storeFailed = false;
    DocumentWalk walk(request.paths);
    walk.run([&](const QString &path) {
        if (storeFailed)
            return;
        ++outcome.documents;
        progress.step();
        try {
            const std::unique_ptr<BatchDocument> doc = openBatchDocument(path);
            documentTitle = doc->title();
            PendingNumbers pending(settings, QFileInfo(path).absoluteFilePath(), item.CPTag);
            const QStringList levels = numberLevels(item, doc->configurations());
            if (levels.isEmpty()) {
                outcome.problems
                    << QStringLiteral("%1: the document has no configuration to hold %2").arg(path, item.CPTag);
                return;
            }
            bool hasNumber = false;
            for (const QString &level : levels)
                hasNumber = hasNumber || !doc->value(level, item.CPTag).value_or(QString()).isEmpty();
            if (hasNumber) {
                // Also the end of a run stopped after the document was written.
                pending.clear();
                ++outcome.alreadyNumbered;
                return;
            }
            std::optional<QString> number = pending.number();
            if (!number) {
                const QString keyValue
                    = keyItem ? doc->value(levels.front(), keyItem->CPTag).value_or(QString()) : QString();
                const std::optional<QString> name = counterName(keyItem, keyValue);
                if (!name) {
                    outcome.problems << QStringLiteral("%1: Key value [%2] is empty").arg(path, keyItem->CPTag);
                    return;
                }
                const CounterStore::Draw draw = counters.next(*name, request.create);
                if (draw.outcome == CounterStore::Outcome::Missing) {
                    outcome.problems
                        << QStringLiteral("%1: there is no counter [%2] (--create starts it)").arg(path, *name);
                    return;
                }
                if (draw.outcome == CounterStore::Outcome::Unusable) {
                    outcome.problems << QStringLiteral("%1: counter [%2] holds no index").arg(path, *name);
                    return;
                }
                int32_t incVal = item.incVal;
                const int32_t serial
                    = validateSerialNumber(draw.index, item.prototype, item.minVal, item.maxVal, incVal, prompts);
                if (serial < 0) {
                    outcome.problems
                        << QStringLiteral("%1: counter [%2] gives no number in the item's range").arg(path, *name);
                    return;
                }
                number = formatSerialNumber(serial, item.prototype);
                pending.record(*number);
            }
            for (const QString &level : levels)
                doc->setValue(level, item.CPTag, *number);
            doc->save();
            pending.clear();
            ++outcome.numbered;
        } catch (const DocumentFileError &e) {
            outcome.problems << e.message;
        } catch (const RuntimeError &e) {
            // A counter store or settings store that cannot be used fails every document after.
            outcome.problems << QStringLiteral("%1: %2").arg(path, e.description);
            storeFailed = true;
        }
    });
    outcome.problems = walk.problems + outcome.problems;
    return outcome;
}

} // namespace tavik

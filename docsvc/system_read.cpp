#include "docsvc/system_read.h"

#include "config/error_text.h"
#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "platform/file_info.h"
#include "platform/runtime_error.h"

#include <optional>
#include <vector>

namespace tavik {

namespace {

// The mass property that the host puts at this index; a result too short for it is a subscript
// error, an empty result (or no file) is no value at all.
QString massProperty(const std::optional<std::vector<double>> &props, size_t index)
{
    if (!props || props->empty())
        return {};
    if (index >= props->size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    return Str((*props)[index]);
}

QString typeName(int type)
{
    switch (type) {
    case sw::swDocPART:
        return QStringLiteral("Part");
    case sw::swDocASSEMBLY:
        return QStringLiteral("Assembly");
    default:
        return QStringLiteral("Other");
    }
}

int summaryField(const QString &name)
{
    static const char *const fields[]
        = {"summaryTitle", "summarySubject", "summaryAuthor", "summaryKeywords", "summaryComments", "summarySavedBy"};
    for (int k = 0; k < 6; ++k)
        if (name == QLatin1String(fields[k]))
            return k;
    return -1;
}

QString couldNotRead(int16_t stage, const QString &name)
{
    return QStringLiteral("ERROR: ") + Str(static_cast<long long>(stage)) + QStringLiteral(" <") + name
        + QStringLiteral("> Could not read system value");
}

} // namespace

QString fileDateText(const QDateTime &when, const QLocale &locale)
{
    if (!when.isValid())
        return {};
    const QDateTime local = when.toLocalTime();
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + local.time().toString(QStringLiteral("HH:mm:ss"));
}

QString fileSizeText(qint64 bytes, const QLocale &locale)
{
    // Whole hundredths, rounded half up, in integers: the quotient by 1024 is exact in binary, so
    // a floating-point rounding could only disagree on the halves.
    const qint64 hundredths = (qMax<qint64>(bytes, 0) * 100 + 512) / 1024;
    const QString cents = QString::number(hundredths % 100).rightJustified(2, QLatin1Char('0'));
    return QString::number(hundredths / 100) + locale.decimalPoint() + cents + QStringLiteral(" Kb");
}

QString readSystemValue(SharedState &state, const QString &name)
{
    return readSystemValue(state, name, QLocale::system(), QDateTime::currentDateTime());
}

QString readSystemValue(SharedState &state, const QString &name, const QLocale &locale, const QDateTime &now)
{
    try {
        state.loadStage = 1;
        const auto doc = activeDocument(state);
        const QString path = doc->GetPathName();

        // Both the file and the mass properties are taken for every name: a document whose file
        // has gone, or whose mass properties fail, reports that whatever was asked.
        std::optional<FileInfo> file;
        std::optional<std::vector<double>> massProps;
        if (!path.isEmpty()) {
            file.emplace(path);
            if (!file->exists())
                throw RuntimeError(err::FileNotFound, errorDescription(err::FileNotFound));
            state.loadStage = 2;
            int status = 0;
            massProps = required(doc->Extension())->GetMassProperties(0, status);
        }

        state.loadStage = 3;
        const QDate today = now.date();
        if (name == QLatin1String("systemLongDate"))
            return locale.toString(today, QStringLiteral("MMMM dd, yyyy"));
        if (name == QLatin1String("systemShortDate"))
            return locale.toString(today, QStringLiteral("dd-MMM-yy"));
        if (name == QLatin1String("systemTime"))
            return now.time().toString(QStringLiteral("HH:mm:ss"));
        if (name == QLatin1String("systemDate"))
            return locale.toString(today, QStringLiteral("dd-MMM-yy")) + QLatin1Char(' ')
                + now.time().toString(QStringLiteral("HH:mm:ss"));
        if (name == QLatin1String("dateCreated"))
            return file ? fileDateText(file->created(), locale) : QString();
        if (name == QLatin1String("dateModified"))
            return file ? fileDateText(file->modified(), locale) : QString();
        if (name == QLatin1String("dateAccessed"))
            return file ? fileDateText(file->accessed(), locale) : QString();
        if (name == QLatin1String("fileSize"))
            return file ? fileSizeText(file->size(), locale) : QString();
        if (name == QLatin1String("swDocType"))
            return typeName(doc->GetType());
        if (name == QLatin1String("unit"))
            return required(doc->GetUserUnit(sw::swLengthUnit))->GetUnitsString(true);
        if (name == QLatin1String("density"))
            return Str(doc->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity));
        if (name == QLatin1String("volume"))
            return massProperty(massProps, 3);
        if (name == QLatin1String("area"))
            return massProperty(massProps, 4);
        if (name == QLatin1String("mass"))
            return massProperty(massProps, 5);
        if (name == QLatin1String("fileName"))
            return doc->GetTitle();
        if (name == QLatin1String("fileNameWithPath"))
            return doc->GetPathName();
        if (const int k = summaryField(name); k >= 0)
            return doc->SummaryInfo(k);
        return QStringLiteral("ERROR: <") + name + QStringLiteral("> function not implemented");
    } catch (...) {
        // The text becomes the item's value: the user sees which value failed and at which step.
        return couldNotRead(state.loadStage, name);
    }
}

} // namespace tavik

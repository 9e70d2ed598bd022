#include "docsvc/system_write.h"

#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "platform/runtime_error.h"

#include <cmath>
#include <optional>

namespace tavik {

namespace {

constexpr int MetreCode = 2;

struct UnitForm {
    const char *form; // lower case
    int code;
};

// "swmictron" is the form existing configuration files use for microns; "swmicron", the host's
// own name of the unit, means the same rather than falling through to metres.
constexpr UnitForm unitForms[] = {
    {"swmm", 0},
    {"mm", 0},
    {"swcm", 1},
    {"cm", 1},
    {"swinches", 3},
    {"in", 3},
    {"inches", 3},
    {"swfeet", 4},
    {"ft", 4},
    {"feet", 4},
    {"swfeetinches", 5},
    {"feetinches", 5},
    {"ftin", 5},
    {"ft-in", 5},
    {"swangstrom", 6},
    {"angstrom", 6},
    {"an", 6},
    {"a", 6},
    {"swnanometer", 7},
    {"nanometer", 7},
    {"nm", 7},
    {"swmictron", 8},
    {"swmicron", 8},
    {"micron", 8},
    {"swmil", 9},
    {"mils", 9},
    {"swuin", 10},
    {"uin", 10},
    {"microinches", 10},
    {"min", 10},
};

enum class Target { Density, FileName, Title, Units, Summary, None };

Target targetOf(const QString &target, int &summaryField)
{
    static const char *const summaries[]
        = {"summaryTitle", "summarySubject", "summaryAuthor", "summaryKeywords", "summaryComments"};
    if (target == QLatin1String("density"))
        return Target::Density;
    if (target == QLatin1String("filename"))
        return Target::FileName;
    if (target == QLatin1String("setTitle"))
        return Target::Title;
    if (target == QLatin1String("units"))
        return Target::Units;
    for (int k = 0; k < 5; ++k) {
        if (target == QLatin1String(summaries[k])) {
            summaryField = k;
            return Target::Summary;
        }
    }
    return Target::None;
}

std::optional<double> densityOf(const QString &value, const QLocale &locale)
{
    const QString text = value.trimmed();
    bool ok = false;
    double d = QLocale::c().toDouble(text, &ok);
    if (!ok)
        d = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

// The extension a new file name or title takes: the one of the document's own file where it names
// a kind of document the host reads, as written (a FreeCAD document stays one), else the one of
// the document's type.
QString extensionFor(sw::ModelDoc2 &doc, int type)
{
    const QString path = doc.GetPathName();
    for (const char *kind : {".sldprt", ".sldasm", ".fcstd"}) {
        const QLatin1String extension(kind);
        if (path.endsWith(extension, Qt::CaseInsensitive))
            return path.right(extension.size());
    }
    switch (type) {
    case sw::swDocPART:
        return QStringLiteral(".sldprt");
    case sw::swDocASSEMBLY:
        return QStringLiteral(".sldasm");
    default:
        return {};
    }
}

} // namespace

int lengthUnitCode(const QString &units)
{
    const QString form = units.toLower();
    for (const auto &u : unitForms)
        if (form == QLatin1String(u.form))
            return u.code;
    return MetreCode;
}

bool writeSystemValue(SharedState &state, const QString &target, const QString &value)
{
    return writeSystemValue(state, target, value, QLocale::system());
}

bool writeSystemValue(SharedState &state, const QString &target, const QString &value, const QLocale &locale)
{
    int summaryField = -1;
    const Target kind = targetOf(target, summaryField);
    // Every item's document slot comes through here; most name no target and must cost nothing.
    if (kind == Target::None)
        return true;

    try {
        const auto doc = activeDocument(state);
        const int type = doc->GetType();

        switch (kind) {
        case Target::Density: {
            // A text that is no number must not reach the document as 0 or as half a value.
            const auto density = densityOf(value, locale);
            if (!density)
                return false;
            doc->SetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity, *density);
            return true;
        }
        case Target::FileName:
            // A blank name would store the document as a bare extension, out of the user's sight.
            if (value.trimmed().isEmpty())
                return false;
            // The host answers 0 for a document stored under the new name.
            return doc->SaveAs2(value + extensionFor(*doc, type), 0, false, false) == 0;
        case Target::Title:
            return doc->SetTitle2(value + extensionFor(*doc, type));
        case Target::Units: {
            const int code = lengthUnitCode(value);
            doc->SetLengthUnit(code);
            doc->SetUserPreferenceIntegerValue(sw::swUnitsLinear, code);
            const auto app = required(state.swApp);
            app->SetUserPreferenceIntegerValue(sw::swUnitsLinear, code);
            // The application's unit confirms the change; a mismatch is not an error of the write.
            required(app->GetUserUnit(sw::swLengthUnit))->SpecificUnitType();
            return true;
        }
        case Target::Summary:
            doc->SetSummaryInfo(summaryField, value);
            return true;
        case Target::None:
            break;
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace tavik

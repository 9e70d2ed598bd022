#include "host/host_document.h"

#include "host/document_file.h"
#include "host/document_file_error.h"
#include "host/freecad_meta.h"
#include "host/host_application.h"
#include "host/host_attribute.h"
#include "host/host_calls.h"
#include "host/host_configuration.h"
#include "host/host_extension.h"
#include "host/host_user_unit.h"
#include "host/length_units.h"
#include "platform/runtime_error.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

namespace tavik {

namespace {

QString boolText(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

void checkSummaryField(int field)
{
    if (field < 0 || field >= int(summaryInfoKeys.size()))
        throw RuntimeError(err::InvalidCall, errorDescription(err::InvalidCall));
}

} // namespace

HostDocument::HostDocument(
    std::shared_ptr<HostCalls> calls, DocumentData data, QString path, std::weak_ptr<HostApplication> app)
    : m_calls(std::move(calls))
    , m_data(std::move(data))
    , m_path(std::move(path))
    , m_app(std::move(app))
{
}

void HostDocument::enter(const QString &object, const QString &member, const QStringList &args)
{
    m_calls->enter(object, member, args);
    if (m_closed)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
}

void HostDocument::call(const char *member, const QStringList &args)
{
    enter(QStringLiteral("ModelDoc2"), QString::fromLatin1(member), args);
}

QString HostDocument::title() const
{
    if (m_data.title)
        return *m_data.title;
    return QFileInfo(m_path).fileName();
}

QString HostDocument::GetTitle()
{
    call("GetTitle");
    return title();
}

QString HostDocument::GetName()
{
    call("GetName");
    return m_path.isEmpty() ? title() : QFileInfo(m_path).fileName();
}

QString HostDocument::GetPathName()
{
    call("GetPathName");
    return m_path;
}

int HostDocument::GetType()
{
    call("GetType");
    return m_data.type;
}

int HostDocument::GetConfigurationCount()
{
    call("GetConfigurationCount");
    return int(m_data.configurations.size());
}

QStringList HostDocument::GetConfigurationNames()
{
    call("GetConfigurationNames");
    return m_data.configurations;
}

std::shared_ptr<sw::Configuration> HostDocument::GetActiveConfiguration()
{
    call("GetActiveConfiguration");
    if (!m_data.activeConfiguration)
        return nullptr;
    return std::make_shared<HostConfiguration>(shared_from_this(), *m_data.activeConfiguration);
}

QString HostDocument::CustomInfo2(const QString &configuration, const QString &name)
{
    call("CustomInfo2", {configuration, name});
    if (const PropertyList *list = m_data.level(configuration))
        for (const auto &[n, v] : *list)
            if (n == name)
                return v;
    return QString();
}

bool HostDocument::AddCustomInfo3(const QString &configuration, const QString &name, int type, const QString &value)
{
    call("AddCustomInfo3", {configuration, name, QString::number(type), value});
    PropertyList *list = m_data.level(configuration);
    if (!list || name.isEmpty())
        return false;
    // A FreeCAD document keeps the host's own settings under these names.
    if (m_data.freecad && freecadMeta::isReserved(name))
        return false;
    for (const auto &p : *list)
        if (p.first == name)
            return false; // the real host keeps the value it has
    list->append({name, value});
    m_changed = true;
    return true;
}

bool HostDocument::DeleteCustomInfo2(const QString &configuration, const QString &name)
{
    call("DeleteCustomInfo2", {configuration, name});
    PropertyList *list = m_data.level(configuration);
    if (!list)
        return false;
    for (qsizetype i = 0; i < list->size(); ++i) {
        if (list->at(i).first == name) {
            list->removeAt(i);
            m_changed = true;
            return true;
        }
    }
    return false;
}

int HostDocument::GetCustomInfoCount2(const QString &configuration)
{
    call("GetCustomInfoCount2", {configuration});
    const PropertyList *list = std::as_const(m_data).level(configuration);
    return list ? int(list->size()) : 0;
}

QStringList HostDocument::GetCustomInfoNames2(const QString &configuration)
{
    call("GetCustomInfoNames2", {configuration});
    QStringList names;
    if (const PropertyList *list = std::as_const(m_data).level(configuration))
        for (const auto &p : *list)
            names.append(p.first);
    return names;
}

std::shared_ptr<sw::ModelDocExtension> HostDocument::Extension()
{
    call("Extension");
    return std::make_shared<HostExtension>(shared_from_this());
}

std::shared_ptr<sw::UserUnit> HostDocument::GetUserUnit(int unitType)
{
    call("GetUserUnit", {QString::number(unitType)});
    if (unitType != sw::swLengthUnit)
        throw RuntimeError(err::InvalidCall, errorDescription(err::InvalidCall));
    return std::make_shared<HostUserUnit>(m_calls, m_data.lengthUnit, m_data.unitsString, shared_from_this());
}

double HostDocument::GetUserPreferenceDoubleValue(int preference)
{
    call("GetUserPreferenceDoubleValue", {QString::number(preference)});
    if (preference != sw::swMaterialPropertyDensity)
        throw RuntimeError(err::InvalidCall, errorDescription(err::InvalidCall));
    return m_data.density;
}

bool HostDocument::SetUserPreferenceDoubleValue(int preference, double value)
{
    call("SetUserPreferenceDoubleValue", {QString::number(preference), QString::number(value)});
    if (preference != sw::swMaterialPropertyDensity || !std::isfinite(value) || value < 0)
        return false;
    if (m_data.density != value) {
        m_data.density = value;
        m_changed = true;
    }
    return true;
}

bool HostDocument::SetUserPreferenceIntegerValue(int preference, int value)
{
    call("SetUserPreferenceIntegerValue", {QString::number(preference), QString::number(value)});
    return preference == sw::swUnitsLinear && setLengthUnit(value);
}

bool HostDocument::setLengthUnit(int code)
{
    if (!isLengthUnit(code))
        return false;
    if (m_data.lengthUnit != code || m_data.unitsString != lengthUnitText(code)) {
        m_data.lengthUnit = code;
        m_data.unitsString = lengthUnitText(code);
        m_changed = true;
    }
    return true;
}

int HostDocument::LengthUnit()
{
    call("LengthUnit");
    return m_data.lengthUnit;
}

void HostDocument::SetLengthUnit(int code)
{
    call("SetLengthUnit", {QString::number(code)});
    if (!setLengthUnit(code))
        throw RuntimeError(err::InvalidCall, errorDescription(err::InvalidCall));
}

QString HostDocument::SummaryInfo(int field)
{
    call("SummaryInfo", {QString::number(field)});
    checkSummaryField(field);
    return m_data.summaryInfo[field];
}

void HostDocument::SetSummaryInfo(int field, const QString &text)
{
    call("SetSummaryInfo", {QString::number(field), text});
    checkSummaryField(field);
    if (m_data.summaryInfo[field] != text) {
        m_data.summaryInfo[field] = text;
        m_changed = true;
    }
}

bool HostDocument::samePathAsOtherDocument(const QString &absolutePath) const
{
    const auto app = m_app.lock();
    if (!app)
        return false;
    for (const auto &doc : app->documents())
        if (doc.get() != this && !doc->path().isEmpty() && QFileInfo(doc->path()) == QFileInfo(absolutePath))
            return true;
    return false;
}

long HostDocument::SaveAs2(const QString &path, int version, bool saveAsCopy, bool silent)
{
    call("SaveAs2", {path, QString::number(version), boolText(saveAsCopy), boolText(silent)});
    if (path.isEmpty())
        return 1;
    const QDir base = m_path.isEmpty() ? QDir::current() : QFileInfo(m_path).absoluteDir();
    const QString target = QDir::cleanPath(base.absoluteFilePath(path));
    // Writing over the file of another open document would lose that document's next save.
    if (samePathAsOtherDocument(target))
        return 1;

    DocumentData written = m_data;
    if (!saveAsCopy)
        written.title.reset(); // the title follows the new file name
    // Saved as its own file, the document must not write over another program's save of it.
    const bool sameFile = !m_path.isEmpty() && QFileInfo(m_path) == QFileInfo(target);
    try {
        written.stamp = DocumentFile::write(
            written, target, sameFile ? DocumentFile::Overwrite::IfUnchanged : DocumentFile::Overwrite::Always);
    } catch (const DocumentFileError &) {
        return 1;
    }
    if (!saveAsCopy) {
        m_data = std::move(written);
        m_path = target;
        m_changed = false;
    }
    return 0;
}

bool HostDocument::SetTitle2(const QString &newTitle)
{
    call("SetTitle2", {newTitle});
    if (newTitle.isEmpty())
        return false;
    if (title() != newTitle) {
        m_data.title = newTitle;
        m_changed = true;
    }
    return true;
}

std::shared_ptr<sw::Feature> HostDocument::FeatureByName(const QString &name)
{
    call("FeatureByName", {name});
    if (!m_data.attribute(name))
        return nullptr;
    return std::make_shared<HostFeature>(shared_from_this(), name);
}

void HostDocument::save(DocumentFile::Overwrite overwrite)
{
    if (m_closed)
        throw DocumentFileError(title(), QStringLiteral("the document is closed"));
    if (m_path.isEmpty())
        throw DocumentFileError(title(),
            QStringLiteral("the document has never been saved, so it has no "
                           "file to save to"));
    m_data.stamp = DocumentFile::write(m_data, m_path, overwrite);
    m_changed = false;
}

bool HostDocument::addAttribute(const AttributeInstance &instance)
{
    if (m_data.attribute(instance.name))
        return false;
    m_data.attributes.append(instance);
    m_changed = true;
    return true;
}

} // namespace tavik

#include "host/host_application.h"

#include "host/document_file.h"
#include "host/document_file_error.h"
#include "host/host_calls.h"
#include "host/host_document.h"
#include "host/host_frame.h"
#include "host/host_user_unit.h"
#include "host/length_units.h"
#include "platform/runtime_error.h"

#include <QDir>
#include <QFileInfo>
#include <array>

namespace tavik {

namespace {

QString absolute(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool sameFile(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && QFileInfo(a) == QFileInfo(b);
}

} // namespace

HostApplication::HostApplication()
    : m_calls(std::make_shared<HostCalls>())
    , m_frame(std::make_shared<HostFrame>(m_calls))
    , m_registry(std::make_shared<AttributeRegistry>())
{
}

HostApplication::~HostApplication() = default;

void HostApplication::enter(const char *member, const QStringList &args)
{
    m_calls->enter(QStringLiteral("SldWorks"), QString::fromLatin1(member), args);
}

void HostApplication::documentsChanged()
{
    if (m_documentsListener)
        m_documentsListener();
}

bool HostApplication::SetAddinCallbackInfo(const void *, sw::AddinCallbacks *addin, int cookie)
{
    enter("SetAddinCallbackInfo", {QString::number(cookie)});
    if (!addin)
        return false;
    for (auto &entry : m_addins) {
        if (entry.first == cookie) {
            entry.second = addin;
            return true;
        }
    }
    m_addins.append({cookie, addin});
    return true;
}

QString HostApplication::GetMenuName(int menu)
{
    enter("GetMenuName", {QString::number(menu)});
    static const std::array<const char *, 7> names = {"File", "Edit", "View", "Insert", "Tools", "Window", "Help"};
    if (menu < 0 || menu >= int(names.size()))
        throw RuntimeError(err::InvalidCall, errorDescription(err::InvalidCall));
    return QString::fromLatin1(names[menu]);
}

bool HostApplication::AddMenuItem3(int docType, int cookie, const QString &menuText, int position,
    const QString &callback, const QString &enable, const QString &hint)
{
    enter("AddMenuItem3",
        {QString::number(docType), QString::number(cookie), menuText, QString::number(position), callback, enable,
            hint});
    if (menuText.isEmpty())
        return false;
    for (const MenuItem &m : m_menuItems)
        if (m.docType == docType && m.text == menuText)
            return false;
    m_menuItems.append({docType, cookie, menuText, position, callback, enable, hint});
    return true;
}

bool HostApplication::RemoveMenu(int docType, const QString &menuText, const QString &callback)
{
    enter("RemoveMenu", {QString::number(docType), menuText, callback});
    return m_menuItems.removeIf([&](const MenuItem &m) {
        return m.docType == docType && m.text == menuText && m.callback == callback;
    }) > 0;
}

std::shared_ptr<sw::MainFrame> HostApplication::Frame()
{
    enter("Frame");
    return m_frame;
}

std::shared_ptr<sw::AttributeDef> HostApplication::DefineAttribute(const QString &name)
{
    enter("DefineAttribute", {name});
    if (name.isEmpty())
        return nullptr;
    return std::make_shared<HostAttributeDef>(m_calls, m_registry, name);
}

std::shared_ptr<sw::ModelDoc2> HostApplication::ActiveDoc()
{
    enter("ActiveDoc");
    return m_active;
}

std::shared_ptr<sw::ModelDoc2> HostApplication::OpenDoc6(
    const QString &path, int type, int options, const QString &configuration, int &errors, int &warnings)
{
    enter("OpenDoc6", {path, QString::number(type), QString::number(options), configuration});
    errors = 0;
    warnings = 0;
    m_lastOpenError.clear();
    auto doc = findDocumentByPath(absolute(path));
    if (!doc) {
        if (!QFileInfo(absolute(path)).isFile()) {
            errors = 2;
            m_lastOpenError = DocumentFileError(path, QStringLiteral("no such file")).message;
            return nullptr;
        }
        try {
            const QString file = absolute(path);
            doc = addDocument(
                std::make_shared<HostDocument>(m_calls, DocumentFile::read(file, type), file, weak_from_this()));
        } catch (const DocumentFileError &e) {
            errors = 1;
            m_lastOpenError = e.message;
            return nullptr;
        }
    }
    if (type > 0 && doc->type() != type) {
        errors = 1;
        m_lastOpenError = DocumentFileError(path, QStringLiteral("the document is not of type %1").arg(type)).message;
        return nullptr;
    }
    activate(doc);
    return doc;
}

std::shared_ptr<sw::ModelDoc2> HostApplication::ActivateDoc2(const QString &name, bool silent, int &errors)
{
    enter("ActivateDoc2", {name, silent ? QStringLiteral("True") : QStringLiteral("False")});
    const auto doc = findDocument(name);
    if (!doc) {
        errors = sw::swActivateDocError;
        return nullptr;
    }
    errors = 0;
    activate(doc);
    return doc;
}

bool HostApplication::SetUserPreferenceIntegerValue(int preference, int value)
{
    enter("SetUserPreferenceIntegerValue", {QString::number(preference), QString::number(value)});
    if (preference != sw::swUnitsLinear || !isLengthUnit(value))
        return false;
    if (m_active)
        m_active->setLengthUnit(value);
    else
        m_lengthUnit = value;
    return true;
}

std::shared_ptr<sw::UserUnit> HostApplication::GetUserUnit(int unitType)
{
    enter("GetUserUnit", {QString::number(unitType)});
    if (unitType != sw::swLengthUnit)
        throw RuntimeError(err::InvalidCall, errorDescription(err::InvalidCall));
    if (m_active)
        return std::make_shared<HostUserUnit>(m_calls, m_active->data().lengthUnit, m_active->data().unitsString);
    return std::make_shared<HostUserUnit>(m_calls, m_lengthUnit, lengthUnitText(m_lengthUnit));
}

std::shared_ptr<HostDocument> HostApplication::addDocument(std::shared_ptr<HostDocument> doc)
{
    m_documents.append(doc);
    documentsChanged();
    return doc;
}

std::shared_ptr<HostDocument> HostApplication::openDocument(const QString &path)
{
    const QString file = absolute(path);
    auto doc = findDocumentByPath(file);
    if (!doc)
        doc = addDocument(std::make_shared<HostDocument>(m_calls, DocumentFile::read(file), file, weak_from_this()));
    activate(doc);
    return doc;
}

std::shared_ptr<HostDocument> HostApplication::newDocument(int type, const QString &title)
{
    if (type < sw::swDocPART || type > sw::swDocDRAWING)
        throw DocumentFileError(QString(), QStringLiteral("a new document must be a part, an assembly or a drawing"));
    DocumentData data;
    data.type = type;
    data.lengthUnit = m_lengthUnit;
    data.unitsString = lengthUnitText(m_lengthUnit);
    static const std::array<const char *, 3> stems = {"Part", "Assem", "Draw"};
    data.title = title.isEmpty() ? QString::fromLatin1(stems[type - 1]) + QString::number(++m_newDocuments) : title;
    auto doc = addDocument(std::make_shared<HostDocument>(m_calls, std::move(data), QString(), weak_from_this()));
    activate(doc);
    return doc;
}

bool HostApplication::activate(const std::shared_ptr<HostDocument> &doc)
{
    if (!doc || !m_documents.contains(doc))
        return false;
    if (m_active != doc) {
        m_active = doc;
        documentsChanged();
    }
    return true;
}

void HostApplication::saveActiveDocument()
{
    if (!m_active)
        throw DocumentFileError(QString(), QStringLiteral("no document is active"));
    m_active->save();
}

void HostApplication::closeDocument(const std::shared_ptr<HostDocument> &doc)
{
    if (!doc || !m_documents.removeOne(doc))
        return;
    doc->close();
    if (m_active == doc)
        m_active = m_documents.isEmpty() ? nullptr : m_documents.last();
    documentsChanged();
}

std::shared_ptr<HostDocument> HostApplication::findDocument(const QString &nameOrPath) const
{
    if (nameOrPath.isEmpty())
        return nullptr;
    // A name with a folder in it is a path, and only a document's path can answer it: a title
    // may be any text, also the path of another file.
    if (!nameOrPath.contains(QLatin1Char('/'))) {
        for (const auto &doc : m_documents)
            if (doc->title() == nameOrPath
                || (!doc->path().isEmpty() && QFileInfo(doc->path()).fileName() == nameOrPath))
                return doc;
    }
    return findDocumentByPath(absolute(nameOrPath));
}

std::shared_ptr<HostDocument> HostApplication::findDocumentByPath(const QString &path) const
{
    for (const auto &doc : m_documents)
        if (sameFile(doc->path(), path))
            return doc;
    return nullptr;
}

void HostApplication::forgetAddin(int cookie)
{
    m_addins.removeIf([&](const auto &entry) { return entry.first == cookie; });
    m_menuItems.removeIf([&](const MenuItem &m) { return m.cookie == cookie; });
}

bool HostApplication::pickMenuItem(const QString &menuText)
{
    if (!m_active)
        return false;
    for (const MenuItem &m : m_menuItems) {
        if (m.docType != m_active->type() || m.text != menuText)
            continue;
        for (const auto &[cookie, addin] : m_addins) {
            if (cookie == m.cookie) {
                addin->invokeCallback(m.callback);
                return true;
            }
        }
        return false;
    }
    return false;
}

QString HostApplication::statusBarText() const
{
    return m_frame->statusBarText();
}

QStringList HostApplication::statusBarHistory() const
{
    return m_frame->history();
}

void HostApplication::setStatusListener(std::function<void(const QString &)> listener)
{
    m_frame->setListener(std::move(listener));
}

} // namespace tavik

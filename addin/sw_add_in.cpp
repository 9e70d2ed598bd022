#include "addin/sw_add_in.h"

#include "config/configuration_folder.h"
#include "config/error_text.h"
#include "config/loader.h"
#include "config/product.h"
#include "config/resolution.h"
#include "docsvc/system_read.h"
#include "editor/m.h"
#include "platform/ignoring_errors.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"

#include <QApplication>
#include <QWidget>
#include <atomic>
#include <dlfcn.h>

namespace tavik {

namespace {

std::atomic<int> g_liveCount{0};

const QString AttributeName = QStringLiteral("pub_Tavik");
const QString MenuHint = QStringLiteral("SolidWorks Custom Properties Editor");

} // namespace

swAddIn::swAddIn(Prompts &prompts, QString addinFolder)
    : m_prompts(prompts)
{
    m_addinFolder = std::move(addinFolder);
    m_state.addinFolder = m_addinFolder;
    m_runEditor = [](M &editor) { editor.exec(); };
    ++g_liveCount;
}

swAddIn::~swAddIn()
{
    delete m_editor.data();
    --g_liveCount;
}

int swAddIn::liveCount()
{
    return g_liveCount.load();
}

const void *swAddIn::moduleHandle()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&swAddIn::moduleHandle), &info) && info.dli_fbase)
        return info.dli_fbase;
    return &g_liveCount;
}

void swAddIn::setEditorParent(QWidget *parent)
{
    m_editorParent = parent;
}

QString swAddIn::noticeStatusText() const
{
    return product::title() + QLatin1Char(' ') + product::version() + QLatin1Char(' ') + product::notice();
}

void swAddIn::setStatusBarText(const QString &text)
{
    if (!m_state.swApp)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    auto frame = m_state.swApp->Frame();
    if (!frame)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    frame->SetStatusBarText(text);
}

void swAddIn::removeMenuItems()
{
    if (!m_state.swApp)
        return;
    for (int docType : {sw::swDocPART, sw::swDocASSEMBLY})
        ignoringErrors([&] { m_state.swApp->RemoveMenu(docType, m_menuText, m_callbackName); });
}

bool swAddIn::SwAddIn_ConnectToSW(const std::shared_ptr<sw::SldWorks> &app, int cookie)
{
    m_pendingError.reset();
    std::optional<std::pair<int, QString>> pending;
    try {
        m_app = app;
        m_state.swApp = app;
        m_cookie = cookie;
        if (!app)
            throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));

        m_state.runOk = app->SetAddinCallbackInfo(moduleHandle(), this, cookie);

        m_menuText = product::title() + QLatin1Char(' ') + product::version() + QLatin1Char('@')
            + app->GetMenuName(sw::swAddinMenu);
        m_callbackName = QStringLiteral("DispForm");

        for (int docType : {sw::swDocPART, sw::swDocASSEMBLY})
            m_state.runOk
                = app->AddMenuItem3(docType, cookie, m_menuText, 0, m_callbackName, QStringLiteral("1"), MenuHint);

        setStatusBarText(noticeStatusText());

        if (make_Tavik_Attribute(m_state.swApp))
            return true;
        pending = m_pendingError;
    } catch (const std::exception &e) {
        const RuntimeError error = errorFromException(e);
        pending = std::make_pair(error.number, error.description);
    } catch (...) {
        pending = std::make_pair(int(err::Automation), errorDescription(err::Automation));
    }

    // The attribute definition keeps the error it met; report that one rather than a bare
    // "Error 0", so that the reason of the failed connection can be read in the box.
    m_state.runOk = false;
    m_state.currentProc = QStringLiteral("ConnectToSW");
    m_state.errorTitle = QStringLiteral("Fatal Error");
    m_state.errorMessage
        = standardErrorText(pending ? pending->first : 0, pending ? pending->second : QString(), m_state.currentProc);
    ignoringErrors([&] {
        m_prompts.message(m_state.errorMessage, product::title() + QStringLiteral(": ") + m_state.errorTitle,
            MessageIcon::Critical, MessageButtons::Ok);
    });
    removeMenuItems();
    return false;
}

bool swAddIn::SwAddIn_DisconnectFromSW()
{
    ignoringErrors([&] { setStatusBarText(QStringLiteral("Thank you for using ") + product::title()); });
    removeMenuItems();
    return true;
}

bool swAddIn::make_Tavik_Attribute(const std::shared_ptr<sw::SldWorks> &app)
{
    m_pendingError.reset();
    try {
        if (!app)
            throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
        m_state.attributeDef = app->DefineAttribute(AttributeName);
        if (!m_state.attributeDef)
            throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
        // All three calls are made whatever the first ones answer.
        const bool configs
            = m_state.attributeDef->AddParameter(QStringLiteral("USE_CONFIGS"), sw::swParamTypeDouble, 0.0, 0);
        const bool frame
            = m_state.attributeDef->AddParameter(QStringLiteral("USE_FRAME"), sw::swParamTypeDouble, 0.0, 0);
        const bool registered = m_state.attributeDef->Register();
        m_state.runOk = true;
        return configs && frame && registered;
    } catch (const std::exception &e) {
        const RuntimeError error = errorFromException(e);
        m_state.runOk = false;
        m_state.currentProc = QStringLiteral("Make Attribute");
        m_state.errorMessage = standardErrorText(error.number, error.description, m_state.currentProc);
        m_pendingError = std::make_pair(error.number, error.description);
        return false;
    }
}

void swAddIn::invokeCallback(const QString &name)
{
    // The host calls through its own event handlers: nothing may escape into them.
    if (name == m_callbackName || name == QLatin1String("DispForm"))
        DispForm();
}

void swAddIn::DispForm()
{
    SharedState &s = m_state;
    bool defaultTextsSet = false;
    try {
        setStatusBarText(noticeStatusText());
        s.runOk = false;

        s.errorMessage = QStringLiteral("Unknown error\r\nExiting");
        s.errorTitle = product::title() + QStringLiteral(" -> Fatal error");
        defaultTextsSet = true;

        // Looked for afresh on every run, as the files themselves are read afresh.
        s.addinFolder = findConfigurationFolder(m_addinFolder).path;
        const SystemValueReader reader = [&s](const QString &name) { return readSystemValue(s, name); };
        if (loadConfigurationForEditor(s, reader) && doComposites(s) && doCPLists(s)) {
            QWidget *parent = m_editorParent ? m_editorParent.data() : QApplication::activeWindow();
            if (!m_editor)
                m_editor = new M(s, m_prompts, parent);
            // A failed load has unloaded the window itself and left its report.
            if (m_editor->formLoad() && m_editor)
                m_runEditor(*m_editor);
            if (s.runOk) {
                setStatusBarText(QStringLiteral("Thank you for using ") + product::title());
                s.runOk = true;
            }
        }
    } catch (const std::exception &) {
        s.runOk = false;
    } catch (...) {
        s.runOk = false;
    }

    if (!defaultTextsSet) {
        // The status bar failed before the run began: what is pending belongs to an earlier run.
        s.errorMessage = QStringLiteral("Unknown error\r\nExiting");
        s.errorTitle = product::title() + QStringLiteral(" -> Fatal error");
    }
    if (!s.runOk) {
        ignoringErrors([&] { setStatusBarText(product::title() + QStringLiteral(" exited with error(s)")); });
        ignoringErrors([&] {
            m_prompts.message(s.errorMessage, product::title() + QStringLiteral(": ") + s.errorTitle,
                MessageIcon::Critical, MessageButtons::Ok);
        });
    }

    delete m_editor.data();
    s.emptyFrames();
}

} // namespace tavik

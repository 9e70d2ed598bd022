#include "app/edit_session.h"

#include "app/document_saving.h"
#include "app/host_window.h"
#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>

namespace tavik {

namespace {

const QString ProgramTitle = QStringLiteral("tavik-host");

// Whether the add-in's editor window was shown, and whether Done closed it. The editor is the
// dialog named "M"; it accepts itself on Done only, while Quit, its close button and Escape
// reject it. Message boxes shown before or instead of it are dialogs too, so the name counts.
class EditorWatch : public QObject {
public:
    EditorWatch() { qApp->installEventFilter(this); }
    ~EditorWatch() override { qApp->removeEventFilter(this); }

    bool shown() const { return m_shown; }
    bool done() const { return m_done; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !m_shown) {
            auto *dialog = qobject_cast<QDialog *>(watched);
            if (dialog && dialog->objectName() == QLatin1String("M")) {
                m_shown = true;
                connect(dialog, &QDialog::accepted, this, [this] { m_done = true; });
            }
        }
        return false;
    }

private:
    bool m_shown = false;
    bool m_done = false;
};

} // namespace

EditSession::EditSession(std::shared_ptr<HostApplication> app, HostWindow &window, Prompts &prompts)
    : m_app(std::move(app))
    , m_window(window)
    , m_prompts(prompts)
{
}

EditSession::~EditSession() = default;

std::optional<EditSession::Outcome> EditSession::open(const QString &path)
{
    m_path = QFileInfo(path).absoluteFilePath();
    try {
        m_doc = m_app->openDocument(m_path);
    } catch (const DocumentFileError &e) {
        // The file's fault names the file.
        return Outcome{Failed, e.message, true};
    }
    return std::nullopt;
}

EditSession::Outcome EditSession::run()
{
    if (!m_doc || m_doc->isClosed())
        return {Failed, QStringLiteral("%1: the document is not open").arg(m_path), true};
    m_app->activate(m_doc);
    const QStringList commands = m_window.commands();
    // An add-in that failed to connect has said so itself, and then offers no command.
    if (commands.isEmpty())
        return {Failed, QStringLiteral("%1: the add-in offers no command for this document").arg(m_path), false};

    EditorWatch watch;
    m_window.pickCommand(commands.first());
    // The add-in reports a run that fails before its window opens in its own message box.
    if (!watch.shown())
        return {Failed, QStringLiteral("%1: the editor did not open; nothing was saved").arg(m_path), false};
    if (!watch.done())
        return {NotDone, QStringLiteral("%1: closed without Done; nothing was saved").arg(m_path), false};
    return save();
}

EditSession::Outcome EditSession::save()
{
    try {
        if (!saveDocument(*m_doc, m_prompts, ProgramTitle))
            return {Failed, QStringLiteral("%1: left as another program saved it; the edit was not saved").arg(m_path),
                false};
    } catch (const std::exception &e) {
        // The write goes to a new file renamed over the old one: a failure leaves the old file.
        // A file's fault names the file.
        const auto *fileError = dynamic_cast<const DocumentFileError *>(&e);
        const QString why
            = fileError ? fileError->message : m_path + QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
        return {Failed, why + QStringLiteral("; nothing was saved"), true};
    }
    return {0, {}, false};
}

} // namespace tavik

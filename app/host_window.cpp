#include "app/host_window.h"
#include "app/document_saving.h"

#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"
#include "hostapi/host.h"
#include "platform/prompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>

namespace tavik {

namespace {
constexpr int MenuCount = 7;
const QString ProgramTitle = QStringLiteral("tavik-host");
} // namespace

HostWindow::HostWindow(std::shared_ptr<HostApplication> app, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_app(std::move(app))
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("tavikHost"));
    setWindowTitle(ProgramTitle);
    resize(720, 480);

    // The menu names are the host's own, so the add-in's "@Tools" text matches the menu it is in.
    for (int i = 0; i < MenuCount; ++i) {
        QString name;
        try {
            name = m_app->GetMenuName(i);
        } catch (const std::exception &) {
            name = QStringLiteral("Menu %1").arg(i);
        }
        QMenu *menu = menuBar()->addMenu(QLatin1Char('&') + name);
        menu->setObjectName(name);
        m_menus << menu;
    }

    QMenu *file = m_menus[0];
    file->addAction(tr("&Open..."), QKeySequence::Open, this, [this] { openDocument(); });
    file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { saveDocument(); });
    file->addAction(tr("&Close"), QKeySequence::Close, this, [this] { closeActiveDocument(); });
    file->addSeparator();
    file->addAction(tr("E&xit"), QKeySequence::Quit, this, [this] { close(); });
    connect(m_menus[sw::swAddinMenu], &QMenu::aboutToShow, this, [this] { rebuildCommandMenu(); });

    m_documents = new QListWidget(this);
    m_documents->setObjectName(QStringLiteral("documents"));
    setCentralWidget(m_documents);
    connect(m_documents, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const auto docs = m_app->documents();
        const int row = m_documents->row(item);
        if (row < 0 || row >= docs.size())
            return;
        try {
            m_app->activate(docs[row]);
        } catch (const std::exception &e) {
            showError(QString::fromLocal8Bit(e.what()));
        }
    });

    statusBar()->showMessage(QString());
    m_app->setStatusListener([this](const QString &text) {
        statusBar()->showMessage(text);
        emit statusTextChanged(text);
    });
    m_app->setDocumentsListener([this] { refreshDocuments(); });
    refreshDocuments();
    rebuildCommandMenu();
}

HostWindow::~HostWindow()
{
    m_app->setStatusListener({});
    m_app->setDocumentsListener({});
}

QMenu *HostWindow::hostMenu(int index) const
{
    return index >= 0 && index < m_menus.size() ? m_menus[index] : nullptr;
}

void HostWindow::refreshDocuments()
{
    m_documents->clear();
    const auto active = m_app->activeDocument();
    for (const auto &doc : m_app->documents()) {
        const QString path = doc->path().isEmpty() ? tr("(not saved)") : QDir::toNativeSeparators(doc->path());
        auto *item = new QListWidgetItem(QStringLiteral("%1    %2").arg(doc->title(), path), m_documents);
        if (doc == active) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
            m_documents->setCurrentItem(item);
        }
    }
    setWindowTitle(active ? QStringLiteral("%1 - %2").arg(active->title(), ProgramTitle) : ProgramTitle);
}

QStringList HostWindow::commands() const
{
    QStringList texts;
    const auto active = m_app->activeDocument();
    if (!active)
        return texts;
    for (const auto &item : m_app->menuItems())
        if (item.docType == active->type() && !texts.contains(item.text))
            texts << item.text;
    return texts;
}

void HostWindow::rebuildCommandMenu()
{
    QMenu *menu = m_menus[sw::swAddinMenu];
    menu->clear();
    const QStringList texts = commands();
    for (const QString &text : texts) {
        // The menu shows the text before "@", the name of the command without its menu.
        const QString caption = text.section(QLatin1Char('@'), 0, 0);
        QAction *action = menu->addAction(caption, this, [this, text] { pickCommand(text); });
        action->setData(text);
    }
    if (texts.isEmpty())
        menu->addAction(tr("(no add-in commands)"))->setEnabled(false);
}

bool HostWindow::pickCommand(const QString &menuText)
{
    if (!commands().contains(menuText))
        return false;
    try {
        return m_app->pickMenuItem(menuText);
    } catch (const std::exception &e) {
        // The add-in's own handlers report their errors; what reaches here escaped them.
        showError(tr("The add-in command failed: %1").arg(QString::fromLocal8Bit(e.what())));
        return false;
    }
}

bool HostWindow::showingErrors(const std::function<bool()> &work)
{
    try {
        return work();
    } catch (const DocumentFileError &e) {
        // The file's fault names the file.
        showError(e.message);
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool HostWindow::openDocument()
{
    FileOpenRequest request;
    request.title = tr("Open");
    request.filters = {tr("Documents (*.sldprt *.sldasm *.FCStd *.fcstd)"), tr("Parts (*.sldprt)"),
        tr("Assemblies (*.sldasm)"), tr("FreeCAD documents (*.FCStd *.fcstd)"), tr("All files (*)")};
    const auto active = m_app->activeDocument();
    request.initialFolder
        = active && !active->path().isEmpty() ? QFileInfo(active->path()).absolutePath() : QDir::currentPath();
    const auto path = m_prompts.openFile(request);
    if (!path)
        return false;
    return showingErrors([&] {
        m_app->openDocument(*path);
        return true;
    });
}

bool HostWindow::saveDocument()
{
    return showingErrors([&] {
        const auto active = m_app->activeDocument();
        if (!active) {
            showError(tr("No document is open."));
            return false;
        }
        const bool saved = tavik::saveDocument(*active, m_prompts, ProgramTitle);
        refreshDocuments();
        return saved;
    });
}

bool HostWindow::closeDocument(const std::shared_ptr<HostDocument> &doc)
{
    if (doc->isChanged()) {
        const MessageAnswer answer = m_prompts.message(tr("Save changes to %1 before closing it?").arg(doc->title()),
            ProgramTitle, MessageIcon::Question, MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return false;
        if (answer == MessageAnswer::Yes
            && !showingErrors([&] { return tavik::saveDocument(*doc, m_prompts, ProgramTitle); }))
            return false;
    }
    m_app->closeDocument(doc);
    return true;
}

bool HostWindow::closeActiveDocument()
{
    const auto active = m_app->activeDocument();
    return active && closeDocument(active);
}

bool HostWindow::closeAllDocuments()
{
    for (const auto &doc : m_app->documents())
        if (!closeDocument(doc))
            return false;
    return true;
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    if (closeAllDocuments())
        event->accept();
    else
        event->ignore();
}

void HostWindow::showError(const QString &text)
{
    m_prompts.message(text, ProgramTitle, MessageIcon::Critical, MessageButtons::Ok);
}

} // namespace tavik

#include "editor/qt_prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>

namespace tavik {

namespace {

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

} // namespace

QtPrompts::QtPrompts(QWidget *parent)
    : m_parent(parent)
{
}

QWidget *QtPrompts::parentWidget() const
{
    // A box belongs over the modal window that asked for it (the editor or one of its dialogs).
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (m_parent)
        return m_parent;
    return QApplication::activeWindow();
}

MessageAnswer QtPrompts::message(const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(toQt(icon), title, text, toQt(buttons), parentWidget());
    // Closing the box with Escape or the window button counts as its cancelling button, or as
    // No / OK where there is none, as a person would expect.
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

std::optional<QString> QtPrompts::openFile(const FileOpenRequest &request)
{
    QFileDialog dialog(parentWidget(), request.title, request.initialFolder);
    if (request.filterEntries.empty()) {
        dialog.setNameFilters(request.filters);
    } else {
        // Qt reads the patterns from the last parentheses of a filter; labels that carry their
        // own, with commas, get the real patterns appended and hidden, so they show as written.
        QStringList filters;
        for (const FileFilter &entry : request.filterEntries)
            filters << entry.label + QStringLiteral(" (") + QString(entry.patterns).replace(u';', u' ')
                    + QLatin1Char(')');
        dialog.setNameFilters(filters);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
    }
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void QtPrompts::clearClipboard()
{
    systemClipboard::clear();
}

void QtPrompts::setClipboardText(const QString &text)
{
    systemClipboard::setText(text);
}

QString QtPrompts::clipboardText()
{
    return systemClipboard::text();
}

namespace systemClipboard {

void clear()
{
    if (auto *clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

void setText(const QString &text)
{
    if (auto *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

QString text()
{
    auto *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

} // namespace systemClipboard

} // namespace tavik

#pragma once
// Every message box, question, file-open dialog and clipboard access goes through this interface:
// the Qt implementation shows real boxes, the scripted one answers from a queue for tests and
// script mode.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tavik {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

QString answerName(MessageAnswer answer); // "OK", "Cancel", "Yes", "No"
std::optional<MessageAnswer> answerFromName(const QString &name);

// One entry of a file dialog's filter: the label as shown, and its patterns joined by ";".
struct FileFilter {
    QString label; // "Part (*.prt, *.sldprt)"
    QString patterns; // "*.prt;*.sldprt"
};

struct FileOpenRequest {
    QString title;
    QStringList filters; // "Parts (*.sldprt)" and so on, in order
    QString initialFolder;
    bool fileMustExist = true;
    bool readOnlyHidden = true;
    // Labels and patterns in order; when given they stand for filters, and the labels are shown
    // exactly as written.
    std::vector<FileFilter> filterEntries;
    bool pathMustExist = true;
    // Room for the chosen path, in characters; 0 for no limit.
    int maxFileLength = 0;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual MessageAnswer message(const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons)
        = 0;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> openFile(const FileOpenRequest &request) = 0;
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() = 0;
};

} // namespace tavik

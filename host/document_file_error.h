#pragma once
// The refusal of a document file by the bundled host: a file that cannot be read or written, or
// whose content is not a document. The message names the file and the fault.

#include <QString>
#include <exception>
#include <string>

namespace tavik {

class DocumentFileError : public std::exception {
public:
    DocumentFileError(QString filePath, QString fileFault)
        : path(std::move(filePath))
        , fault(std::move(fileFault))
        , message(path.isEmpty() ? fault : QStringLiteral("%1: %2").arg(path, fault))
        , m_what(message.toStdString())
    {
    }
    const char *what() const noexcept override { return m_what.c_str(); }

    QString path;
    QString fault;
    QString message; // "<path>: <fault>", or the fault alone when no file is concerned

private:
    std::string m_what;
};

// The refusal to write over a file that another program has written since it was read: saving
// it would lose that program's work.
class DocumentChangedError : public DocumentFileError {
public:
    explicit DocumentChangedError(QString filePath)
        : DocumentFileError(
            std::move(filePath), QStringLiteral("the file was changed by another program since it was read"))
    {
    }
};

} // namespace tavik

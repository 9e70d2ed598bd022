#pragma once
// The refusal of a document file by the bundled host: a file that cannot be read or written, or
// whose content is not a document. The message names the file and the fault.

#include <QString>
#include <exception>
#include <string>

namespace tavik {

class DocumentFileError : public std::exception {
public:
    DocumentFileError(QString path, QString fault)
        : path(std::move(path)), fault(std::move(fault)),
          message(this->path.isEmpty() ? this->fault : QStringLiteral("%1: %2").arg(this->path, this->fault)),
          m_what(message.toStdString()) {}
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
    explicit DocumentChangedError(QString path)
        : DocumentFileError(std::move(path), QStringLiteral("the file was changed by another program since it was read")) {}
};

} // namespace tavik

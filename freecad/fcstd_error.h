#pragma once
// A fault of a FreeCAD document file: a damaged archive, a missing or broken Document.xml, a value
// that the file cannot hold. The text names the fault; the caller adds the file's path.

#include <QString>
#include <exception>
#include <string>

namespace tavik {

class FcstdError : public std::exception {
public:
    explicit FcstdError(QString faultText)
        : fault(std::move(faultText))
        , m_what(fault.toStdString())
    {
    }
    const char *what() const noexcept override { return m_what.c_str(); }

    QString fault;

private:
    std::string m_what;
};

} // namespace tavik

#pragma once
// The run-time error of a failing host or platform call: an error number and its description.
// Every error handler of the add-in catches it (and std::exception, mapped by errorFromException).

#include <QString>
#include <exception>
#include <string>

namespace tavik {

// The classic error numbers, so that messages read naturally.
namespace err {
constexpr int InvalidCall = 5; // invalid procedure call or argument
constexpr int Overflow = 6;
constexpr int SubscriptRange = 9; // subscript out of range
constexpr int DivisionByZero = 11;
constexpr int TypeMismatch = 13;
constexpr int ObjectNotSet = 91; // object variable not set
constexpr int FileNotFound = 53;
constexpr int PathNotFound = 76;
constexpr int Automation = 440; // generic failure of a host call
} // namespace err

class RuntimeError : public std::exception {
public:
    RuntimeError(int errorNumber, QString errorDescription)
        : number(errorNumber)
        , description(std::move(errorDescription))
        , m_what(description.toStdString())
    {
    }
    const char *what() const noexcept override { return m_what.c_str(); }

    int number;
    QString description;

private:
    std::string m_what;
};

// Maps any exception to the number and description that an error text shows.
RuntimeError errorFromException(const std::exception &e);

// Standard descriptions of the classic numbers.
QString errorDescription(int number);

} // namespace tavik

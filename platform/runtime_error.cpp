#include "platform/runtime_error.h"

#include <new>
#include <stdexcept>

namespace tavik {

QString errorDescription(int number)
{
    switch (number) {
    case err::InvalidCall:
        return QStringLiteral("Invalid procedure call or argument");
    case err::Overflow:
        return QStringLiteral("Overflow");
    case 7:
        return QStringLiteral("Out of memory");
    case err::SubscriptRange:
        return QStringLiteral("Subscript out of range");
    case err::DivisionByZero:
        return QStringLiteral("Division by zero");
    case err::TypeMismatch:
        return QStringLiteral("Type mismatch");
    case err::FileNotFound:
        return QStringLiteral("File not found");
    case err::PathNotFound:
        return QStringLiteral("Path not found");
    case err::ObjectNotSet:
        return QStringLiteral("Object variable or With block variable not set");
    case err::Automation:
        return QStringLiteral("Automation error");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError errorFromException(const std::exception &e)
{
    if (auto *r = dynamic_cast<const RuntimeError *>(&e))
        return *r;
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return RuntimeError(7, errorDescription(7));
    if (dynamic_cast<const std::out_of_range *>(&e))
        return RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    if (dynamic_cast<const std::overflow_error *>(&e))
        return RuntimeError(err::Overflow, errorDescription(err::Overflow));
    return RuntimeError(err::Automation, QString::fromLocal8Bit(e.what()));
}

} // namespace tavik

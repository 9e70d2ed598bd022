#pragma once
// A user-unit object of the bundled host: the length unit in force when it was asked for.

#include "addin/host.h"

#include <memory>

namespace tavik {

class HostCalls;

class HostUserUnit : public sw::UserUnit {
public:
    HostUserUnit(std::shared_ptr<HostCalls> calls, int code, QString unitsText)
        : m_calls(std::move(calls)), m_code(code), m_text(std::move(unitsText)) {}
    // The document's units text, full or not: the bundled host keeps a single text.
    QString GetUnitsString(bool full) override;
    int SpecificUnitType() override;

private:
    std::shared_ptr<HostCalls> m_calls;
    int m_code;
    QString m_text;
};

} // namespace tavik

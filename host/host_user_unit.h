#pragma once
// A user-unit object of the bundled host: the length unit in force when it was asked for.

#include "hostapi/host.h"

#include <memory>

namespace tavik {

class HostCalls;
class HostDocument;

class HostUserUnit : public sw::UserUnit {
public:
    // doc: the document the unit was asked of, whose closing ends the unit too; none for the
    // application's unit.
    HostUserUnit(std::shared_ptr<HostCalls> calls, int code, QString unitsText, std::shared_ptr<HostDocument> doc = {})
        : m_calls(std::move(calls))
        , m_code(code)
        , m_text(std::move(unitsText))
        , m_doc(std::move(doc))
    {
    }
    // The document's units text, full or not: the bundled host keeps a single text.
    QString GetUnitsString(bool full) override;
    int SpecificUnitType() override;

private:
    std::shared_ptr<HostCalls> m_calls;
    int m_code;
    QString m_text;
    std::shared_ptr<HostDocument> m_doc;

    void enter(const QString &member, const QStringList &args = {});
};

} // namespace tavik

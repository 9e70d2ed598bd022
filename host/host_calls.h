#pragma once
// The record of every host interface call, in order, and the faults that tests inject into them.
// The application owns one; every host object it hands out shares it.

#include <QList>
#include <QString>
#include <QStringList>

namespace tavik {

class HostCalls {
public:
    struct Call {
        QString object;   // the interface: "SldWorks", "ModelDoc2", "Attribute", ...
        QString member;   // the member name as the interface declares it
        QStringList args; // arguments as texts, where they tell something
        // "member(arg, arg)"
        QString text() const;
    };

    // Records a call and throws the RuntimeError of a fault that falls due on it.
    void enter(const QString &object, const QString &member, const QStringList &args = {});

    const QList<Call> &calls() const { return m_calls; }
    // The member names of the recorded calls, in order.
    QStringList members() const;
    // The recorded calls of one member (bare, or qualified as "Object.Member").
    QList<Call> callsOf(const QString &member) const;
    void clearLog() { m_calls.clear(); }

    // The n-th call (from 1, counted from now) of the member fails with RuntimeError{number,
    // description}. The member may be qualified as "Object.Member" to pick one interface.
    void failCall(const QString &member, int n, int number, const QString &description);
    // Every call of the member fails, until the faults are cleared.
    void failEvery(const QString &member, int number, const QString &description);
    void clearFaults() { m_faults.clear(); }

private:
    struct Fault {
        QString member;
        int remaining; // calls until it falls due; 0 for every call
        int number;
        QString description;
    };

    static bool matches(const QString &pattern, const QString &object, const QString &member);

    QList<Call> m_calls;
    QList<Fault> m_faults;
};

} // namespace tavik

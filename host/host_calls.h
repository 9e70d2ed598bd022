#pragma once
// The record of every host interface call, in order, and the faults that tests inject into them.
// The application owns one; every host object it hands out shares it.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tavik {

class HostCalls {
public:
    struct Call {
        QString object; // the interface: "SldWorks", "ModelDoc2", "Attribute", ...
        QString member; // the member name as the interface declares it
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
    // description}. The member may be qualified as "Object.Member" to pick one interface; "*"
    // stands for every member, so that the n-th host call of any kind fails.
    void failCall(const QString &member, int n, int number, const QString &description);
    // Every call of the member fails, until the faults are cleared.
    void failEvery(const QString &member, int number, const QString &description);
    void clearFaults() { m_faults.clear(); }

    // Told of every call as it is recorded, before a fault falls due on it: a log that survives
    // a program that ends abruptly.
    void setListener(std::function<void(const Call &)> listener) { m_listener = std::move(listener); }

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
    std::function<void(const Call &)> m_listener;
};

} // namespace tavik

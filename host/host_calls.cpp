#include "host/host_calls.h"

#include "platform/runtime_error.h"

#include <optional>

namespace tavik {

QString HostCalls::Call::text() const
{
    return member + QLatin1Char('(') + args.join(QStringLiteral(", ")) + QLatin1Char(')');
}

bool HostCalls::matches(const QString &pattern, const QString &object, const QString &member)
{
    return pattern == member || pattern == QLatin1String("*") || pattern == object + QLatin1Char('.') + member;
}

void HostCalls::enter(const QString &object, const QString &member, const QStringList &args)
{
    m_calls.append({object, member, args});
    if (m_listener)
        m_listener(m_calls.constLast());
    // Every armed fault counts this call, also when an earlier one already falls due on it.
    std::optional<RuntimeError> due;
    for (qsizetype i = 0; i < m_faults.size();) {
        Fault &f = m_faults[i];
        if (!matches(f.member, object, member)) {
            ++i;
            continue;
        }
        const bool every = f.remaining == 0;
        if (every || --f.remaining == 0) {
            if (!due)
                due.emplace(f.number, f.description);
            if (!every) {
                m_faults.removeAt(i);
                continue;
            }
        }
        ++i;
    }
    if (due)
        throw *due;
}

QStringList HostCalls::members() const
{
    QStringList names;
    for (const Call &c : m_calls)
        names.append(c.member);
    return names;
}

QList<HostCalls::Call> HostCalls::callsOf(const QString &member) const
{
    QList<Call> found;
    for (const Call &c : m_calls)
        if (matches(member, c.object, c.member))
            found.append(c);
    return found;
}

void HostCalls::failCall(const QString &member, int n, int number, const QString &description)
{
    if (n < 1)
        throw RuntimeError(err::InvalidCall, QStringLiteral("A fault needs a call number from 1"));
    m_faults.append({member, n, number, description});
}

void HostCalls::failEvery(const QString &member, int number, const QString &description)
{
    m_faults.append({member, 0, number, description});
}

} // namespace tavik

#pragma once
// The records that script mode writes on standard output: one record a line, fields separated
// by a tab, with \r \n \t and \ written as two-character escapes so every record stays on its line.

#include <QString>
#include <QStringList>
#include <functional>

namespace tavik {

class Transcript {
public:
    // Where finished lines go (standard output in tavik-host, a string in tests).
    explicit Transcript(std::function<void(const QString &line)> sink);

    static QString escape(const QString &text);
    static QString line(const QStringList &fields);

    void status(const QString &text);
    void messageBox(const QString &title, const QString &text, const QString &answer);
    void field(const QStringList &fields);
    void property(const QString &configuration, const QString &name, const QString &value);

private:
    void write(const QStringList &fields);
    std::function<void(const QString &)> m_sink;
};

} // namespace tavik

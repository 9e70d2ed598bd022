#pragma once
// Progress of a long run on standard error, only when it is a terminal: the count, the rate and
// the time left, redrawn at most a few times a second on one line.

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

namespace tavik {

class Progress {
public:
    // total: the number of documents expected, -1 when unknown (no time left is shown then).
    Progress(FILE *stream, qint64 total);
    static bool isTerminal(FILE *stream);
    bool shown() const { return m_shown; }

    void step(qint64 count = 1);
    // Clears the progress line.
    void finish();
    qint64 done() const { return m_done; }
    double seconds() const { return m_clock.nsecsElapsed() / 1e9; }

private:
    void draw();

    FILE *m_stream;
    bool m_shown;
    qint64 m_total;
    qint64 m_done = 0;
    qint64 m_lastDraw = 0;
    QElapsedTimer m_clock;
};

} // namespace tavik

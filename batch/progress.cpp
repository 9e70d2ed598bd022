#include "batch/progress.h"

#include <unistd.h>

namespace tavik {

Progress::Progress(FILE *stream, qint64 total)
    : m_stream(stream)
    , m_shown(isTerminal(stream))
    , m_total(total)
{
    m_clock.start();
}

bool Progress::isTerminal(FILE *stream)
{
    return isatty(fileno(stream)) == 1;
}

void Progress::step(qint64 count)
{
    m_done += count;
    if (m_shown && m_clock.elapsed() - m_lastDraw >= 200) {
        m_lastDraw = m_clock.elapsed();
        draw();
    }
}

void Progress::draw()
{
    const double secs = seconds();
    const double rate = secs > 0 ? m_done / secs : 0;
    QString line = QStringLiteral("%1 documents, %2/s").arg(m_done).arg(qRound64(rate));
    if (m_total > 0 && rate > 0)
        line += QStringLiteral(", %1 s left").arg(qRound64(qMax<qint64>(0, m_total - m_done) / rate));
    std::fprintf(m_stream, "\r%-60s", line.toUtf8().constData());
    std::fflush(m_stream);
}

void Progress::finish()
{
    if (m_shown) {
        std::fprintf(m_stream, "\r%-60s\r", "");
        std::fflush(m_stream);
    }
}

} // namespace tavik

// Draws from one counter on the numbering server as another workstation would:
//   remote_draw_helper HOST PORT COUNTER DRAWS
// Prints every index it was handed, one a line; exits 1 on any failure.

#include "serial/remote_counter_store.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        tavik::RemoteCounterStore counters({args.value(1), args.value(2).toInt()},
                                           [] { return QStringLiteral("Helper.sldprt"); });
        for (int i = 0; i < args.value(4).toInt(); ++i) {
            const auto draw = counters.next(args.value(3), true);
            if (draw.outcome != tavik::CounterStore::Outcome::Drawn)
                return 1;
            std::printf("%d\n", draw.index);
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

// Draws from one counter as another editor would: counter_draw_helper STORE COUNTER DRAWS.
// Prints every index it was handed, one a line; exits 1 on any failure.

#include "platform/settings_store.h"
#include "serial/counter_store.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        tavik::SettingsStore settings(args.value(1));
        tavik::LocalCounterStore counters(settings);
        for (int i = 0; i < args.value(3).toInt(); ++i) {
            const auto draw = counters.next(args.value(2), true);
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

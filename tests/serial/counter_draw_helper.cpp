// Draws from one counter as another editor or workstation would:
//   counter_draw_helper local STORE COUNTER DRAWS
//   counter_draw_helper remote HOST PORT COUNTER DRAWS
// Prints every index it was handed, one a line; exits 1 on any failure.

#include "platform/settings_store.h"
#include "serial/counter_store.h"
#include "serial/remote_counter_store.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        std::unique_ptr<tavik::SettingsStore> settings;
        std::unique_ptr<tavik::CounterStore> counters;
        const bool remote = args.value(1) == QLatin1String("remote");
        if (remote) {
            counters = std::make_unique<tavik::RemoteCounterStore>(
                tavik::RemoteCounterStore::Server{args.value(2), args.value(3).toInt()},
                [] { return QString("Helper.sldprt"); });
        } else {
            settings = std::make_unique<tavik::SettingsStore>(args.value(2));
            counters = std::make_unique<tavik::LocalCounterStore>(*settings);
        }
        const int next = remote ? 4 : 3;
        const QString counter = args.value(next);
        for (int i = 0; i < args.value(next + 1).toInt(); ++i) {
            const auto draw = counters->next(counter, true);
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

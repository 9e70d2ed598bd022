// Opening the editor (its load) on a large configuration built in memory: several frames of
// full pages, ten configurations, thousands of fields. Measured against creating the same number
// of bare widgets of the same kinds, each the cheapest way, in the same run; the "ratio" counter
// is load time / bare time. "ratio_qt_combos" is the same against bare widgets whose combo boxes
// are made editable by Qt's setEditable, which also builds their drop-downs.
// Destroying the widgets is in none of the figures.

#include "config/shared_state.h"
#include "editor/m.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "host/host_application.h"
#include "platform/scripted_prompts.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

using namespace tavik;

namespace {

constexpr int Frames = 4;
constexpr int GroupsPerFrame = 10;
constexpr int Configurations = 10;

// Twelve rows a page: plain fields, a pick list, a linked list of three and a serial number.
void buildModel(SharedState &state)
{
    state.frames.clear();
    for (int f = 0; f < Frames; ++f) {
        Frame &frame = state.frames.emplace_back();
        frame.name = QStringLiteral("Frame %1").arg(f);
        for (int g = 0; g < GroupsPerFrame; ++g) {
            Group &group = frame.groups.emplace_back();
            group.name = QStringLiteral("Group %1").arg(g);
            auto add = [&](const QString &type) -> CPItem & {
                CPItem &item = group.items.emplace_back();
                item.f_idx = int16_t(f);
                item.g_idx = int16_t(g);
                item.i_idx = int16_t(group.items.size() - 1);
                item.CPTag = QStringLiteral("P%1_%2_%3").arg(f).arg(g).arg(item.i_idx);
                item.displayName = item.CPTag;
                item.type = type;
                item.units = QStringLiteral("mm");
                item.location = DocumentAndConfigurations;
                item.visible = true;
                item.editable = type == QLatin1String("standard") || type == QLatin1String("list");
                item.defaultValue = QStringLiteral("value");
                return item;
            };
            for (int k = 0; k < 9; ++k)
                add(QStringLiteral("standard"));
            CPItem &pick = add(QStringLiteral("list"));
            for (int o = 0; o < 5; ++o) {
                CPOption option;
                option.values = {QStringLiteral("Option %1").arg(o), QStringLiteral("second"), QString()};
                pick.options.push_back(option);
            }
            CPList list;
            list.linked = true;
            for (int k = 0; k < 3; ++k) {
                CPItem &member = add(QStringLiteral("standard"));
                member.inList = true;
                member.listRef = {int16_t(f), int16_t(g), 0};
                member.listIndex = 0;
                list.members.push_back(member.ref());
            }
            group.lists.push_back(list);
            CPItem &serial = add(QStringLiteral("systemRead"));
            CPOption next;
            next.values[0] = QStringLiteral("nextSerialNumber");
            serial.options.push_back(next);
        }
    }
    state.useConfigs = true;
    state.defaultFrame = 0;
}

// CPU time of this thread: the machine is shared, and wall time would measure the neighbours.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// How the bare side makes its combo boxes editable: the cheapest way, as the editor makes its own
// (a text area of its own, the drop-down left until it is opened), or Qt's setEditable, which
// builds the drop-down at once.
enum class BareCombos { Cheapest, QtDefault };

// The same number of widgets of the same kinds (editable combo boxes as the fields are), bare:
// created on their pages with a text and placed.
std::unique_ptr<QWidget> createBareWidgets(M &built, BareCombos combos)
{
    auto window = std::make_unique<QWidget>();
    std::vector<QFrame *> pages;
    for (size_t k = 0; k < built.cFrame().size(); ++k) {
        auto *page = new QFrame(window.get());
        page->setGeometry(11, 44, 351, 413);
        pages.push_back(page);
    }
    size_t next = 0;
    auto onPage = [&] { return pages[next++ % pages.size()]; };
    for (size_t k = 0; k < built.CP_Label().size(); ++k)
        (new QLabel(QStringLiteral("label"), onPage()))->setGeometry(10, 14, 100, 21);
    for (size_t k = 0; k < built.CP_Units().size(); ++k)
        (new QLabel(QStringLiteral("mm"), onPage()))->setGeometry(289, 14, 53, 21);
    for (size_t k = 0; k < built.CP_TextBox().size(); ++k)
        (new QLineEdit(QStringLiteral("value"), onPage()))->setGeometry(118, 13, 163, 21);
    for (size_t k = 0; k < built.CP_ComboBox().size(); ++k) {
        auto *combo = new QComboBox(onPage());
        if (combos == BareCombos::Cheapest)
            combo->setLineEdit(new QLineEdit(combo));
        else
            combo->setEditable(true);
        combo->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        combo->setGeometry(118, 13, 163, 21);
    }
    for (size_t k = 0; k < built.getNext().size(); ++k)
        (new QPushButton(QStringLiteral("Get Next"), onPage()))->setGeometry(289, 13, 53, 21);
    return window;
}

// A part document with ten configurations, open in a fresh host, and the editor's attribute.
void openLargeDocument(const QTemporaryDir &dir, SharedState &state)
{
    QJsonArray configurations;
    for (int c = 0; c < Configurations; ++c)
        configurations.append(QStringLiteral("Config %1").arg(c));
    const QJsonObject doc{{QStringLiteral("type"), 1}, {QStringLiteral("title"), QStringLiteral("Big.SLDPRT")},
        {QStringLiteral("configurations"), configurations}};
    QFile file(dir.filePath(QStringLiteral("Big.sldprt")));
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(doc).toJson());
    file.close();

    auto app = std::make_shared<HostApplication>();
    app->openDocument(file.fileName());
    state.swApp = app;
    state.attributeDef = app->DefineAttribute(QStringLiteral("pub_Tavik"));
    state.attributeDef->AddParameter(QStringLiteral("USE_CONFIGS"), 2, 0.0, 0);
    state.attributeDef->AddParameter(QStringLiteral("USE_FRAME"), 2, 0.0, 0);
    state.attributeDef->Register();
}

// The editor on the model, loaded.
std::unique_ptr<M> openEditor(SharedState &state, ScriptedPrompts &prompts, benchmark::State &bench)
{
    auto editor = std::make_unique<M>(state, prompts);
    if (!editor->formLoad())
        bench.SkipWithError(state.errorMessage.toStdString().c_str());
    return editor;
}

void BM_EditorOpen(benchmark::State &bench)
{
    QTemporaryDir dir;
    SharedState state;
    openLargeDocument(dir, state);
    ScriptedPrompts prompts;

    double loadSeconds = 0, bareSeconds = 0, qtDefaultSeconds = 0;
    size_t widgets = 0;
    for (auto _ : bench) {
        buildModel(state);
        const double start = cpuSeconds();
        std::unique_ptr<M> editor = openEditor(state, prompts, bench);
        const double loaded = cpuSeconds();
        std::unique_ptr<QWidget> bareWindow = createBareWidgets(*editor, BareCombos::Cheapest);
        const double bare = cpuSeconds();
        std::unique_ptr<QWidget> qtDefaultWindow = createBareWidgets(*editor, BareCombos::QtDefault);
        const double qtDefault = cpuSeconds();
        widgets = editor->cFrame().size() + editor->CP_Label().size() + editor->CP_Units().size()
            + editor->CP_TextBox().size() + editor->CP_ComboBox().size() + editor->getNext().size();
        const double load = loaded - start;
        loadSeconds += load;
        bareSeconds += bare - loaded;
        qtDefaultSeconds += qtDefault - bare;
        bench.SetIterationTime(load);
        // Taking the widgets down is left out of the figures.
        bench.PauseTiming();
        QCoreApplication::sendPostedEvents();
        qtDefaultWindow.reset();
        bareWindow.reset();
        editor.reset();
        bench.ResumeTiming();
    }
    bench.counters["widgets"] = double(widgets);
    bench.counters["bare_ms"] = bareSeconds * 1000.0 / double(bench.iterations());
    bench.counters["ratio"] = bareSeconds > 0 ? loadSeconds / bareSeconds : 0.0;
    // The same against bare combo boxes made editable by Qt's setEditable.
    bench.counters["ratio_qt_combos"] = qtDefaultSeconds > 0 ? loadSeconds / qtDefaultSeconds : 0.0;
}

BENCHMARK(BM_EditorOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Done on the same configuration, beside the open that precedes it: every field of the frame on
// screen written into the document for each configuration. "done_ms" and "open_ms" are CPU
// milliseconds; the iteration time is Done's.
void BM_EditorDone(benchmark::State &bench)
{
    QTemporaryDir dir;
    SharedState state;
    openLargeDocument(dir, state);
    ScriptedPrompts prompts;

    double openSeconds = 0, doneSeconds = 0;
    for (auto _ : bench) {
        buildModel(state);
        const double start = cpuSeconds();
        std::unique_ptr<M> editor = openEditor(state, prompts, bench);
        const double opened = cpuSeconds();
        editor->saving().doneClick();
        const double done = cpuSeconds();
        if (!state.runOk)
            bench.SkipWithError(("Done failed: " + state.errorMessage.toStdString()).c_str());
        openSeconds += opened - start;
        doneSeconds += done - opened;
        bench.SetIterationTime(done - opened);
        bench.PauseTiming();
        QCoreApplication::sendPostedEvents();
        editor.reset();
        bench.ResumeTiming();
    }
    bench.counters["open_ms"] = openSeconds * 1000.0 / double(bench.iterations());
    bench.counters["done_ms"] = doneSeconds * 1000.0 / double(bench.iterations());
}

BENCHMARK(BM_EditorDone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The script runner's failures on real widgets: a small dialog standing in for the editor, opened
// modally so that the lines run inside its loop as they do inside the editor's. The verbs acting
// on the editor itself are what every scripted run (tests/e2e) does.

#include "app/host_window.h"
#include "app/script_parser.h"
#include "app/script_prompts.h"
#include "app/script_runner.h"
#include "app/transcript.h"
#include "editor/control_tag.h"
#include "host/host_application.h"
#include "test_application.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tavik;

namespace {

// Fields named and tagged as the editor makes them, a button whose right click opens a menu
// with exec(), and a Done button that closes the dialog.
class StandIn : public QDialog {
public:
    explicit StandIn(Prompts &prompts)
        : m_prompts(prompts)
    {
        setObjectName("M");
        resize(300, 200);
        const auto place = [this](QWidget *w, const char *name, const QString &tag, QRect where) {
            w->setParent(this);
            w->setObjectName(name);
            if (!tag.isEmpty())
                setTag(w, tag);
            w->setGeometry(where);
        };
        place(text = new QLineEdit("keep"), "CP_TextBox_0", "000:000:000:000", {118, 10, 150, 22});
        place(list = new QComboBox, "CP_ComboBox_1", "000:000:001:000", {118, 40, 150, 22});
        list->addItems({"a", "b", "c"});
        place(clear = new QPushButton("Clear"), "Clear", {}, {10, 80, 80, 24});
        clear->installEventFilter(this);
        menu = new QMenu(this);
        menu->addAction("Clear all")->setObjectName("clearAllCPValues");
        menu->addAction("Clear this")->setObjectName("clearConfCPValues");
        auto *done = new QPushButton("Done");
        place(done, "done", {}, {10, 120, 80, 24});
        connect(done, &QPushButton::clicked, this, &QDialog::accept);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == clear && event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            if (menu->exec(clear->mapToGlobal(QPoint(0, 0)))) {
                if (m_prompts.message(QStringLiteral("Sure?"), QStringLiteral("Tavik: Caution"), MessageIcon::Question,
                        MessageButtons::YesNo)
                    == MessageAnswer::Yes)
                    text->clear();
            }
            return true;
        }
        return false;
    }

    Prompts &m_prompts;
    QLineEdit *text;
    QComboBox *list;
    QPushButton *clear;
    QMenu *menu;
};

struct Outcome {
    int code = -1;
    QString failure;
    QStringList transcript;
};

Outcome runScript(const QString &script, StandIn &dialog, ScriptPrompts &prompts)
{
    testApplication();
    Outcome run;
    Transcript transcript([&](const QString &line) { run.transcript << line; });
    prompts.setBoxListener(
        [&](const RecordedBox &box) { transcript.messageBox(box.title, box.text, answerName(box.answer)); });
    auto app = std::make_shared<HostApplication>();
    HostWindow window(app, prompts);
    ScriptSyntaxError error;
    auto lines = ScriptParser::parse(script, &error);
    EXPECT_EQ(error.line, 0) << error.reason.toStdString();
    EXPECT_TRUE(ScriptRunner::check(lines, &error)) << error.reason.toStdString();
    ScriptRunner runner(app, &window, prompts, transcript, std::move(lines), QStringLiteral("test.script"));
    runner.setExitAtOnceWhenModal(false);
    window.show();
    dialog.setParent(&window, Qt::Dialog);
    dialog.setModal(true);
    dialog.show();
    runner.start();
    run.code = QApplication::exec();
    run.failure = runner.failure();
    dialog.hide();
    dialog.setParent(nullptr);
    return run;
}

} // namespace

TEST(ScriptRunner, StopsAtTheLineThatFails)
{
    testApplication();
    {
        ScriptPrompts prompts;
        StandIn dialog(prompts);
        const Outcome run
            = runScript(QStringLiteral("print 000:000:000:000\n\nclick Nothing\nclick done\n"), dialog, prompts);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.failure, QStringLiteral("3: no control named Nothing in M"));
    }
    {
        // A question nobody answered fails the line during which it was asked, even though
        // that line runs inside the menu opened by the line before.
        ScriptPrompts prompts;
        StandIn dialog(prompts);
        const Outcome run
            = runScript(QStringLiteral("rightclick Clear\nmenu clearAllCPValues\nclick done\n"), dialog, prompts);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.failure.startsWith(QStringLiteral("2: "))) << run.failure.toStdString();
        EXPECT_TRUE(run.failure.contains(QStringLiteral("Tavik: Caution")));
        // The box took its harmless answer.
        EXPECT_EQ(dialog.text->text(), "keep");
    }
    {
        ScriptPrompts prompts;
        StandIn dialog(prompts);
        dialog.list->setEnabled(false);
        const Outcome run = runScript(QStringLiteral("choose 000:000:001:000 1\nclick done\n"), dialog, prompts);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.failure, QStringLiteral("1: 000:000:001:000 is disabled"));
    }
}

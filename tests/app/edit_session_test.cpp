// The edit of one document (tavik-host --edit): saved only when the editor ends with Done, never
// written over another program's save unasked, and every way it ends without a save told apart.
// A stand-in add-in opens a modal dialog named as the editor, and acts in it from its loop.

#include "host/host_fixture.h"

#include "app/edit_session.h"
#include "app/host_program.h"
#include "app/host_window.h"
#include "editor/control_tag.h"
#include "host/document_file.h"
#include "platform/scripted_prompts.h"
#include "test_application.h"

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace tavik;

namespace {

constexpr int Cookie = 7;

// The add-in's command opens a dialog under the editor's name (or another name) and hands it to
// the test's action once its loop runs.
class StandInAddin : public sw::AddinCallbacks {
public:
    void invokeCallback(const QString &) override
    {
        QDialog editor;
        editor.setObjectName(windowName);
        new QWidget(&editor);
        if (!showEditor)
            return;
        QTimer::singleShot(0, &editor, [&] { act(editor); });
        editor.exec();
    }

    QString windowName = QStringLiteral("M");
    bool showEditor = true;
    std::function<void(QDialog &)> act;
};

class EditSessionTest : public HostFixture {
protected:
    EditSessionTest()
    {
        app->SetAddinCallbackInfo(nullptr, &addin, Cookie);
        app->AddMenuItem3(1, Cookie, QStringLiteral("Tavik@Tools"), -1, QStringLiteral("DispForm"), {}, {});
    }

    // A part with one property, on disk, and an edit session opened on it.
    QString part(const QString &fileName)
    {
        DocumentData data;
        data.type = 1;
        data.customProperties[QString()] = {{"PartNo", "old"}};
        const QString path = dir.filePath(fileName);
        DocumentFile::write(data, path);
        return path;
    }

    // What the stand-in editor writes into the active document before it closes.
    void setPartNo(const QString &value)
    {
        const auto doc = app->activeDocument();
        doc->DeleteCustomInfo2(QString(), "PartNo");
        doc->AddCustomInfo3(QString(), "PartNo", 30, value);
    }

    QString partNo(const QString &path) { return DocumentFile::read(path).customProperties[QString()].value(0).second; }

    QApplication &qapp = testApplication();
    StandInAddin addin;
    ScriptedPrompts prompts;
    HostWindow window{app, prompts};
    EditSession session{app, window, prompts};
};

} // namespace

TEST_F(EditSessionTest, SavesOnlyWhenTheEditorEndsWithDone)
{
    const QString path = part("Done.sldprt");
    ASSERT_FALSE(session.open(path));
    addin.act = [&](QDialog &editor) {
        setPartNo("new");
        editor.accept();
    };
    const EditSession::Outcome done = session.run();
    EXPECT_EQ(done.status, 0);
    EXPECT_TRUE(done.message.isEmpty()) << done.message.toStdString();
    EXPECT_EQ(partNo(path), "new");

    // The window's close button, then Quit's way (reject): the change stays in memory only.
    const QByteArray saved = readFile(path);
    for (const auto &leave : std::vector<std::function<void(QDialog &)>>{
             [](QDialog &editor) { editor.close(); }, [](QDialog &editor) { editor.reject(); }}) {
        addin.act = [&](QDialog &editor) {
            setPartNo("lost");
            leave(editor);
        };
        const EditSession::Outcome closed = session.run();
        EXPECT_EQ(closed.status, EditSession::NotDone);
        EXPECT_EQ(closed.message, path + ": closed without Done; nothing was saved");
        EXPECT_FALSE(closed.tellPerson);
        EXPECT_EQ(readFile(path), saved);
    }

    // A box the add-in shows instead of its editor is no Done, even when accepted.
    addin.windowName = QStringLiteral("qt_msgbox");
    addin.act = [&](QDialog &box) {
        setPartNo("boxed");
        box.accept();
    };
    const EditSession::Outcome refused = session.run();
    EXPECT_EQ(refused.status, EditSession::Failed);
    EXPECT_EQ(refused.message, path + ": the editor did not open; nothing was saved");
    EXPECT_FALSE(refused.tellPerson);
    EXPECT_EQ(readFile(path), saved);

    // An editor whose load failed is made, filled and deleted without being shown.
    addin.windowName = QStringLiteral("M");
    addin.act = nullptr;
    addin.showEditor = false;
    EXPECT_EQ(session.run().status, EditSession::Failed);
    EXPECT_EQ(readFile(path), saved);
}

TEST_F(EditSessionTest, AsksBeforeWritingOverAnotherProgramsSave)
{
    const QString path = part("Shared.sldprt");
    ASSERT_FALSE(session.open(path));
    QByteArray theirs;
    addin.act = [&](QDialog &editor) {
        DocumentData data = DocumentFile::read(path);
        data.customProperties[QString()] = {{"PartNo", "theirs"}};
        DocumentFile::write(data, path);
        theirs = readFile(path);
        setPartNo("mine");
        editor.accept();
    };

    prompts.queueAnswer(MessageAnswer::No);
    const EditSession::Outcome kept = session.run();
    EXPECT_EQ(kept.status, EditSession::Failed);
    EXPECT_EQ(kept.message, path + ": left as another program saved it; the edit was not saved");
    EXPECT_FALSE(kept.tellPerson);
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_TRUE(prompts.boxes()[0].text.startsWith(path + " was changed by another program"));
    EXPECT_EQ(readFile(path), theirs);

    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(session.run().status, 0);
    EXPECT_EQ(partNo(path), "mine");
}

TEST_F(EditSessionTest, SaysWhyWhenTheDocumentCannotBeOpenedOrSaved)
{
    const EditSession::Outcome unopened = session.run();
    EXPECT_EQ(unopened.status, EditSession::Failed);
    EXPECT_TRUE(unopened.tellPerson);
    const auto missing = session.open(dir.filePath("Missing.sldprt"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, EditSession::Failed);
    EXPECT_EQ(missing->message, dir.filePath("Missing.sldprt") + ": no such file");
    EXPECT_TRUE(missing->tellPerson);

    // The file's place taken by a folder while the editor is open: the write fails, and the
    // person, who pressed Done, is told why.
    const QString path = part("Moved.sldprt");
    ASSERT_FALSE(session.open(path));
    addin.act = [&](QDialog &editor) {
        setPartNo("new");
        QFile::remove(path);
        QDir(dir.path()).mkdir("Moved.sldprt");
        editor.accept();
    };
    const EditSession::Outcome failed = session.run();
    EXPECT_EQ(failed.status, EditSession::Failed);
    EXPECT_TRUE(failed.message.startsWith(path + ": ")) << failed.message.toStdString();
    EXPECT_TRUE(failed.message.endsWith("; nothing was saved")) << failed.message.toStdString();
    EXPECT_TRUE(failed.tellPerson);

    // A document the add-in offers no command for is not edited.
    app->RemoveMenu(1, QStringLiteral("Tavik@Tools"), QStringLiteral("DispForm"));
    addin.act = [](QDialog &editor) { editor.accept(); };
    const EditSession::Outcome offered = session.run();
    EXPECT_EQ(offered.status, EditSession::Failed);
    EXPECT_EQ(offered.message, path + ": the add-in offers no command for this document");
    EXPECT_FALSE(offered.tellPerson);
}

// The whole program as a person runs it from a file manager: no script, the real add-in, and the
// editor's own controls worked from inside its loop.
TEST_F(EditSessionTest, TheProgramEndsWithTheEditorAsAPersonUsesIt)
{
    const QString path = write("Bracket.sldprt", readFile(TAVIK_SOURCE_DIR "/data/samples/Bracket.sldprt"));
    HostOptions options;
    options.addinPath = QStringLiteral(TAVIK_PLUGIN);
    options.settingsFile = dir.filePath("settings.sqlite");
    options.editFile = path;
    QStringList boxes;
    // Works in the editor once it is open, then answers the boxes that follow with `answer`.
    const auto runWorking
        = [&](const std::function<void(QDialog &)> &work, QMessageBox::StandardButton answer = QMessageBox::NoButton) {
              QTimer poll;
              int polls = 0;
              bool worked = false;
              QObject::connect(&poll, &QTimer::timeout, [&] {
                  QWidget *modal = QApplication::activeModalWidget();
                  auto *box = qobject_cast<QMessageBox *>(modal);
                  if (!worked && modal && modal->objectName() == "M") {
                      worked = true;
                      work(*static_cast<QDialog *>(modal));
                  } else if (worked && box && box->button(answer)) {
                      boxes << box->text();
                      box->button(answer)->click();
                  } else if (++polls > 500) {
                      // A box nobody expected, or no editor at all: end the run rather than wait.
                      ADD_FAILURE() << "nothing to work in";
                      poll.stop();
                      if (modal)
                          modal->close();
                  }
              });
              poll.start(20);
              return HostProgram(options).run();
          };
    const auto project = [](QDialog &editor) {
        for (auto *box : editor.findChildren<QLineEdit *>())
            if (box->objectName().startsWith("CP_TextBox_") && tagOf(box) == "000:000:000:000")
                return box;
        return static_cast<QLineEdit *>(nullptr);
    };

    EXPECT_EQ(runWorking([&](QDialog &editor) {
        ASSERT_TRUE(project(editor));
        project(editor)->setText("P2468");
        editor.findChild<QPushButton *>("done")->click();
    }),
        0);
    EXPECT_TRUE(readFile(path).contains("\"P2468\""));

    const QByteArray saved = readFile(path);
    EXPECT_EQ(runWorking([&](QDialog &editor) {
        project(editor)->setText("P1357");
        editor.close();
    }),
        EditSession::NotDone);
    EXPECT_EQ(readFile(path), saved);

    // Another program saves the file while the editor is open: after Done the person is asked,
    // and the question is answered although the editor, the program's only window, has closed.
    EXPECT_EQ(runWorking(
                  [&](QDialog &editor) {
                      DocumentData theirs = DocumentFile::read(path);
                      theirs.customProperties[QString()].append({QStringLiteral("Theirs"), QStringLiteral("1")});
                      DocumentFile::write(theirs, path);
                      project(editor)->setText("P3690");
                      editor.findChild<QPushButton *>("done")->click();
                  },
                  QMessageBox::Yes),
        0);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("was changed by another program")) << boxes[0].toStdString();
    EXPECT_TRUE(readFile(path).contains("\"P3690\""));
}

// The edit of one document (tavik-host --edit): saved only when the editor ends with Done, never
// written over another program's save unasked, and every way it ends without a save told apart.
// A stand-in add-in opens a modal dialog named as the editor, and acts in it from its loop.

#include "host/host_fixture.h"

#include "app/edit_session.h"
#include "app/host_window.h"
#include "host/document_file.h"
#include "platform/scripted_prompts.h"
#include "test_application.h"

#include <QDialog>
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
        QTimer::singleShot(0, &editor, [&] { act(editor); });
        editor.exec();
    }

    QString windowName = QStringLiteral("M");
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
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_TRUE(prompts.boxes()[0].text.startsWith(path + " was changed by another program"));
    EXPECT_EQ(readFile(path), theirs);

    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(session.run().status, 0);
    EXPECT_EQ(partNo(path), "mine");
}

TEST_F(EditSessionTest, SaysWhyWhenTheDocumentCannotBeOpenedOrSaved)
{
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
}

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
// the test's action once its loop runs; without an action the editor is never shown.
class StandInAddin : public sw::AddinCallbacks {
public:
    void invokeCallback(const QString &) override
    {
        QDialog editor;
        editor.setObjectName(windowName);
        new QWidget(&editor);
        if (!act)
            return;
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

    // A part with one property on disk, and the edit session opened on it.
    QString part(const QString &fileName)
    {
        DocumentData data;
        data.type = 1;
        data.customProperties[QString()] = {{"PartNo", "old"}};
        const QString path = dir.filePath(fileName);
        DocumentFile::write(data, path);
        EXPECT_FALSE(session.open(path));
        return path;
    }

    // What the stand-in editor writes into the active document before it ends with leave.
    void actWith(const QString &partNo, const std::function<void(QDialog &)> &leave)
    {
        addin.act = [=, this](QDialog &editor) {
            const auto doc = app->activeDocument();
            doc->DeleteCustomInfo2(QString(), "PartNo");
            doc->AddCustomInfo3(QString(), "PartNo", 30, partNo);
            leave(editor);
        };
    }

    // The outcome as (status, message, whether the person is told).
    std::tuple<int, QString, bool> run()
    {
        const EditSession::Outcome outcome = session.run();
        return {outcome.status, outcome.message, outcome.tellPerson};
    }

    QApplication &qapp = testApplication();
    StandInAddin addin;
    ScriptedPrompts prompts;
    HostWindow window{app, prompts};
    EditSession session{app, window, prompts};
};

const auto accept = [](QDialog &editor) { editor.accept(); };

} // namespace

TEST_F(EditSessionTest, SavesOnlyWhenTheEditorEndsWithDone)
{
    const QString path = part("Done.sldprt");
    actWith("new", accept);
    EXPECT_EQ(run(), std::make_tuple(0, QString(), false));
    EXPECT_TRUE(readFile(path).contains("\"new\""));

    // The window's close button, then Quit's way (reject): the change stays in memory only.
    const QByteArray saved = readFile(path);
    const auto notDone
        = std::make_tuple(int(EditSession::NotDone), path + ": closed without Done; nothing was saved", false);
    actWith("lost", [](QDialog &editor) { editor.close(); });
    EXPECT_EQ(run(), notDone);
    actWith("lost", [](QDialog &editor) { editor.reject(); });
    EXPECT_EQ(run(), notDone);

    // A box the add-in shows instead of its editor is no Done, even when accepted; nor is an
    // editor never shown because its load failed.
    const auto unopened
        = std::make_tuple(int(EditSession::Failed), path + ": the editor did not open; nothing was saved", false);
    addin.windowName = QStringLiteral("qt_msgbox");
    actWith("boxed", accept);
    EXPECT_EQ(run(), unopened);
    addin.windowName = QStringLiteral("M");
    addin.act = nullptr;
    EXPECT_EQ(run(), unopened);
    EXPECT_EQ(readFile(path), saved);
}

TEST_F(EditSessionTest, AsksBeforeWritingOverAnotherProgramsSave)
{
    const QString path = part("Shared.sldprt");
    QByteArray theirs;
    actWith("mine", [&](QDialog &editor) {
        DocumentData data = DocumentFile::read(path);
        data.customProperties[QString()] = {{"PartNo", "theirs"}};
        DocumentFile::write(data, path);
        theirs = readFile(path);
        editor.accept();
    });

    prompts.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(run(),
        std::make_tuple(
            int(EditSession::Failed), path + ": left as another program saved it; the edit was not saved", false));
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_TRUE(prompts.boxes()[0].text.startsWith(path + " was changed by another program"));
    EXPECT_EQ(readFile(path), theirs);
}

TEST_F(EditSessionTest, SaysWhyWhenTheDocumentCannotBeSaved)
{
    // The file's place taken by a folder while the editor is open: the write fails, and the
    // person, who pressed Done, is told why.
    const QString path = part("Moved.sldprt");
    actWith("new", [&](QDialog &editor) {
        QFile::remove(path);
        QDir(dir.path()).mkdir("Moved.sldprt");
        editor.accept();
    });
    const auto [status, message, told] = run();
    EXPECT_EQ(status, EditSession::Failed);
    EXPECT_TRUE(message.startsWith(path + ": ") && message.endsWith("; nothing was saved")) << message.toStdString();
    EXPECT_TRUE(told);

    // A document the add-in offers no command for is not edited.
    app->RemoveMenu(1, QStringLiteral("Tavik@Tools"), QStringLiteral("DispForm"));
    EXPECT_EQ(run(),
        std::make_tuple(int(EditSession::Failed), path + ": the add-in offers no command for this document", false));
}

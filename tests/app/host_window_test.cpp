// The window of tavik-host: asking before it writes over another program's save, and before it
// closes a document whose properties changed, keeping the document open when the person cancels
// or the save fails.

#include "host/host_fixture.h"

#include "app/host_window.h"
#include "host/document_file.h"
#include "platform/scripted_prompts.h"
#include "test_application.h"

#include <QCloseEvent>
#include <QMenu>

using namespace tavik;

class HostWindowTest : public HostFixture {
protected:
    QApplication &qapp = testApplication();
    ScriptedPrompts prompts;
    HostWindow window{app, prompts};
};

TEST_F(HostWindowTest, ASaveNeverWritesOverAnotherProgramsSaveUnlessTold)
{
    const QString path = write("Shared.sldprt", readFile(TAVIK_SOURCE_DIR "/data/samples/Plate.sldprt"));
    const auto doc = app->openDocument(path);
    ASSERT_TRUE(doc->AddCustomInfo3("", "Mine", 30, "1"));
    DocumentData theirs = DocumentFile::read(path);
    theirs.customProperties[QString()].append({QStringLiteral("Theirs"), QStringLiteral("1")});
    DocumentFile::write(theirs, path);
    const QByteArray theirBytes = readFile(path);

    prompts.queueAnswer(MessageAnswer::No);
    EXPECT_FALSE(window.saveDocument());
    EXPECT_TRUE(prompts.boxes().back().text.contains("Shared.sldprt was changed by another program"));
    EXPECT_EQ(readFile(path), theirBytes);
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window.saveDocument());
    EXPECT_TRUE(readFile(path).contains("\"Mine\"") && !readFile(path).contains("\"Theirs\""));
}

TEST_F(HostWindowTest, ClosingAsksAboutChangedDocumentsOnly)
{
    const auto open = [&](const QString &file) {
        DocumentData data;
        data.customProperties[QString()] = {{"PartNo", "old"}};
        DocumentFile::write(data, dir.filePath(file));
        return app->openDocument(dir.filePath(file));
    };
    const auto unchanged = open("Same.sldprt");
    const auto edited = open("Edited.sldprt");
    edited->DeleteCustomInfo2(QString(), "PartNo");
    edited->AddCustomInfo3(QString(), "PartNo", 30, "new");
    ASSERT_TRUE(edited->isChanged());

    // Cancel keeps the window and the changed document; the unchanged one closes unasked.
    prompts.queueAnswer(MessageAnswer::Cancel);
    QCloseEvent cancelled;
    QApplication::sendEvent(&window, &cancelled);
    EXPECT_FALSE(cancelled.isAccepted());
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, "Save changes to Edited.sldprt before closing it?");
    EXPECT_TRUE(unchanged->isClosed());
    EXPECT_EQ(app->documents().size(), 1);

    // Yes with a file that cannot be written: reported, and the document stays open.
    ASSERT_TRUE(QFile::rename(dir.filePath("Edited.sldprt"), dir.filePath("Edited.moved")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Edited.sldprt"));
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(window.closeActiveDocument());
    EXPECT_EQ(prompts.boxes().size(), 3u);
    EXPECT_FALSE(edited->isClosed());

    // Yes once the file can be written saves, then closes.
    ASSERT_TRUE(QDir(dir.path()).rmdir("Edited.sldprt"));
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window.closeActiveDocument());
    EXPECT_TRUE(app->documents().isEmpty());
    EXPECT_EQ(DocumentFile::read(dir.filePath("Edited.sldprt")).customProperties[QString()].value(0).second, "new");
}

// tavik-host asks before it closes a document whose properties changed, and keeps the document
// open when the person cancels or the save fails.

#include "host_fixture.h"

#include "app/host_window.h"
#include "host/document_file.h"
#include "platform/scripted_prompts.h"
#include "test_application.h"

#include <QCloseEvent>

using namespace tavik;

TEST_F(HostFixture, ClosingAsksAboutChangedDocumentsOnly)
{
    testApplication();

    auto host = std::make_shared<HostApplication>();
    ScriptedPrompts prompts;
    HostWindow window(host, prompts);
    const auto open = [&](const QString &file) {
        DocumentData data;
        data.customProperties[QString()] = {{QStringLiteral("PartNo"), QStringLiteral("old")}};
        DocumentFile::write(data, dir.filePath(file));
        return host->openDocument(dir.filePath(file));
    };
    const auto stored = [&](const QString &file) {
        return DocumentFile::read(dir.filePath(file)).customProperties[QString()].value(0).second;
    };
    const auto unchanged = open(QStringLiteral("Same.sldprt"));
    const auto edited = open(QStringLiteral("Edited.sldprt"));
    edited->DeleteCustomInfo2(QString(), QStringLiteral("PartNo"));
    edited->AddCustomInfo3(QString(), QStringLiteral("PartNo"), 30, QStringLiteral("new"));
    ASSERT_TRUE(edited->isChanged());

    // Cancel keeps the window and the changed document; the unchanged one closes unasked.
    prompts.queueAnswer(MessageAnswer::Cancel);
    QCloseEvent cancelled;
    QApplication::sendEvent(&window, &cancelled);
    EXPECT_FALSE(cancelled.isAccepted());
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, "Save changes to Edited.sldprt before closing it?");
    EXPECT_EQ(prompts.boxes()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(unchanged->isClosed());
    EXPECT_EQ(host->documents().size(), 1);

    // Yes with a file that cannot be written: reported, and the document stays open.
    ASSERT_TRUE(QFile::rename(dir.filePath("Edited.sldprt"), dir.filePath("Edited.moved")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Edited.sldprt")));
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(window.closeActiveDocument());
    ASSERT_EQ(prompts.boxes().size(), 3u);
    EXPECT_EQ(prompts.boxes()[2].icon, MessageIcon::Critical);
    EXPECT_FALSE(edited->isClosed());

    // Yes once the file can be written saves, then closes.
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("Edited.sldprt")));
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window.closeActiveDocument());
    EXPECT_TRUE(host->documents().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("Edited.sldprt")), "new");
}

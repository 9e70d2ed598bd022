// tavik-host asks before it closes a document whose properties changed, and keeps the document
// open when the person cancels or the save fails.

#include "host_fixture.h"

#include "app/host_window.h"
#include "host/document_file.h"
#include "platform/scripted_prompts.h"

#include <QApplication>
#include <QCloseEvent>

using namespace tavik;

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "host-window-test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

} // namespace

class HostWindowCloseTest : public HostFixture {
protected:
    std::shared_ptr<HostDocument> openWith(const QString &name, const QString &value)
    {
        DocumentData data;
        data.customProperties[QString()] = {{QStringLiteral("PartNo"), value}};
        const QString path = dir.filePath(name);
        DocumentFile::write(data, path);
        return host->openDocument(path);
    }

    QString stored(const std::shared_ptr<HostDocument> &doc)
    {
        return DocumentFile::read(doc->path()).customProperties[QString()].value(0).second;
    }

    void SetUp() override
    {
        HostFixture::SetUp();
        application();
    }

    std::shared_ptr<HostApplication> host = std::make_shared<HostApplication>();
    ScriptedPrompts prompts;
};

TEST_F(HostWindowCloseTest, ChangedDocumentsAreAskedAbout)
{
    HostWindow window(host, prompts);
    const auto unchanged = openWith(QStringLiteral("Same.sldprt"), QStringLiteral("A1"));
    const auto edited = openWith(QStringLiteral("Edited.sldprt"), QStringLiteral("B1"));
    EXPECT_FALSE(edited->isChanged());
    edited->DeleteCustomInfo2(QString(), QStringLiteral("PartNo"));
    edited->AddCustomInfo3(QString(), QStringLiteral("PartNo"), 30, QStringLiteral("B2"));
    EXPECT_TRUE(edited->isChanged());

    // Cancel keeps the window and both documents, and writes nothing.
    prompts.queueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(window.closeAllDocuments());
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, "Save changes to Edited.sldprt before closing it?");
    EXPECT_EQ(prompts.boxes()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(host->documents().size(), 1) << "the unchanged document closes without a question";
    EXPECT_TRUE(unchanged->isClosed());
    EXPECT_EQ(stored(edited), "B1");

    // No closes without saving; the file keeps what it had.
    prompts.queueAnswer(MessageAnswer::No);
    EXPECT_TRUE(window.closeActiveDocument());
    EXPECT_TRUE(host->documents().isEmpty());
    EXPECT_EQ(stored(edited), "B1");
}

TEST_F(HostWindowCloseTest, YesSavesAndAFailedSaveKeepsTheDocument)
{
    HostWindow window(host, prompts);
    const auto doc = openWith(QStringLiteral("Kept.sldprt"), QStringLiteral("C1"));
    doc->SetSummaryInfo(0, QStringLiteral("changed"));
    ASSERT_TRUE(doc->isChanged());

    // The file's folder is gone: the save fails, is reported, and the document stays open.
    const QString path = doc->path();
    QFile::rename(path, path + QStringLiteral(".moved"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Kept.sldprt")));
    prompts.queueAnswer(MessageAnswer::Yes);
    QCloseEvent refused;
    QApplication::sendEvent(&window, &refused);
    EXPECT_FALSE(refused.isAccepted());
    ASSERT_EQ(prompts.boxes().size(), 2u);
    EXPECT_EQ(prompts.boxes()[1].icon, MessageIcon::Critical);
    EXPECT_EQ(host->documents().size(), 1);

    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("Kept.sldprt")));
    prompts.queueAnswer(MessageAnswer::Yes);
    QCloseEvent accepted;
    QApplication::sendEvent(&window, &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_TRUE(host->documents().isEmpty());
    EXPECT_EQ(DocumentFile::read(path).summaryInfo[0], "changed");
}

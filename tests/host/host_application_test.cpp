// The application interface of the bundled host: documents, menus, units, call log and faults.

#include "host_fixture.h"

#include "host/document_file_error.h"
#include "platform/runtime_error.h"

#include <QFileInfo>

using namespace tavik;

namespace {

struct RecordingAddin : sw::AddinCallbacks {
    void invokeCallback(const QString &name) override { invoked.append(name); }
    QStringList invoked;
};

} // namespace

using HostApplicationTest = HostFixture;

TEST_F(HostApplicationTest, OpensEachFileOnceAndActivatesByTitleNameOrPath)
{
    const QString partPath = write("Part.sldprt", QJsonObject{{"title", "Shown"}});
    const QString asmPath = write("Asm.sldasm", QJsonObject());
    int errors = -1, warnings = -1;
    auto part = app->OpenDoc6(partPath, 1, 0, "", errors, warnings);
    ASSERT_NE(part, nullptr);
    EXPECT_TRUE(errors == 0 && app->ActiveDoc() == part);

    // The same file, by a relative path: the document already open.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    auto same = app->OpenDoc6("Part.sldprt", 1, 0, "", errors, warnings);
    auto assembly = app->openDocument(asmPath);
    EXPECT_EQ(app->ActivateDoc2("./Part.sldprt", true, errors), part);
    QDir::setCurrent(cwd);
    EXPECT_EQ(same, part);
    EXPECT_EQ(app->openDocument(partPath), part);
    EXPECT_EQ(app->OpenDoc6(partPath, 2, 0, "", errors, warnings), nullptr); // not an assembly
    EXPECT_EQ(errors, 1);

    EXPECT_EQ(app->documents().size(), 2);
    EXPECT_EQ(app->ActivateDoc2("Shown", true, errors), part);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(app->ActivateDoc2(asmPath, true, errors), assembly);
    EXPECT_EQ(app->ActivateDoc2(part->GetName(), true, errors), part);
    EXPECT_EQ(app->ActivateDoc2("Nothing.sldprt", true, errors), nullptr);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(app->ActiveDoc(), part);

    // Closing the active document makes the last one left active.
    app->closeDocument(std::dynamic_pointer_cast<HostDocument>(part));
    EXPECT_EQ(app->ActiveDoc(), assembly);
    EXPECT_EQ(app->ActivateDoc2("Shown", true, errors), nullptr);

    auto fresh = app->newDocument(sw::swDocPART);
    EXPECT_TRUE(fresh->GetPathName().isEmpty() && fresh->GetTitle() == "Part1" && app->ActiveDoc() == fresh);
    EXPECT_THROW(app->newDocument(sw::swDocDRAWING + 1), DocumentFileError);
}

TEST_F(HostApplicationTest, MenuItemsCallTheRegisteredAddin)
{
    // Connecting and disconnecting the add-in are in its own tests; here what a menu item does
    // for each document type.
    RecordingAddin addin;
    EXPECT_TRUE(app->SetAddinCallbackInfo(nullptr, &addin, 7));
    EXPECT_TRUE(app->AddMenuItem3(1, 7, "Tavik@Tools", 0, "DispForm", "1", "hint"));
    EXPECT_TRUE(app->AddMenuItem3(2, 7, "Tavik@Tools", 0, "DispForm", "1", "hint"));
    EXPECT_FALSE(app->AddMenuItem3(2, 7, "Tavik@Tools", 0, "DispForm", "1", "hint"));
    EXPECT_FALSE(app->pickMenuItem("Tavik@Tools")); // no document open
    open("p.sldprt", QJsonObject());
    EXPECT_TRUE(app->pickMenuItem("Tavik@Tools"));
    EXPECT_EQ(addin.invoked, QStringList({"DispForm"}));
    EXPECT_TRUE(app->RemoveMenu(1, "Tavik@Tools", "DispForm"));
    EXPECT_FALSE(app->pickMenuItem("Tavik@Tools")); // gone for parts
    app->newDocument(sw::swDocASSEMBLY);
    EXPECT_TRUE(app->pickMenuItem("Tavik@Tools"));
    EXPECT_EQ(addin.invoked.size(), 2);
}

TEST_F(HostApplicationTest, CallLogAndFaultInjection)
{
    auto doc = open(
        "log.sldprt", QJsonObject{{"configurations", QJsonArray{"Default"}}, {"activeConfiguration", "Default"}});
    HostCalls &calls = *app->calls();
    calls.clearLog();
    app->ActiveDoc()->GetTitle();
    doc->AddCustomInfo3("Default", "P", 30, "v");
    doc->GetActiveConfiguration()->Name();
    EXPECT_EQ(
        calls.members(), QStringList({"ActiveDoc", "GetTitle", "AddCustomInfo3", "GetActiveConfiguration", "Name"}));
    EXPECT_EQ(calls.calls()[2].text(), "AddCustomInfo3(Default, P, 30, v)");

    // The second call from now fails, once.
    calls.failCall("GetTitle", 2, 440, "Title lost");
    EXPECT_NO_THROW(doc->GetTitle());
    EXPECT_THROW(doc->GetTitle(), RuntimeError);
    EXPECT_NO_THROW(doc->GetTitle());

    // Every call of one interface's member, until cleared; the other interface's is untouched.
    calls.failEvery("ModelDoc2.SetUserPreferenceIntegerValue", 5, "No");
    for (int k = 0; k < 2; ++k)
        EXPECT_THROW(doc->SetUserPreferenceIntegerValue(47, 1), RuntimeError);
    EXPECT_TRUE(app->SetUserPreferenceIntegerValue(47, 1));
    calls.clearFaults();
    EXPECT_TRUE(doc->SetUserPreferenceIntegerValue(47, 1));

    // A failing call is logged, and leaves the document as it was.
    calls.failCall("AddCustomInfo3", 1, 13, "Type mismatch");
    EXPECT_THROW(doc->AddCustomInfo3("", "Q", 30, "v"), RuntimeError);
    EXPECT_TRUE(doc->CustomInfo2("", "Q").isEmpty() && calls.callsOf("AddCustomInfo3").size() == 2);
}

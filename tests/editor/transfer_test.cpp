// Copy From...: the configsSelect dialog over another document, copying into empty fields or into
// the scratchpad, and the editor's document active again after every button, also when that fails;
// and the scratchpad's Save and Load between frames and editing runs, all or nothing.

#include "editor_fixture.h"

#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "transfer/configs_select.h"
#include "transfer/scratchpad.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <sqlite3.h>

using namespace tavik;

class CopyTest : public EditorFixture {
protected:
    QString text(int i, int c) { return fieldValue(item(0, 0, i).valueControls[size_t(c)]); }

    // Values at the document level and in "Thick", none in "Bare".
    QString writeSource(const QString &fileName, const QString &title = QStringLiteral("Source.SLDPRT"))
    {
        return write(fileName,
            QStringLiteral(R"({"type": 1, "title": "%1", "configurations": ["Thick", "Bare"],
            "customProperties": {"": [["Project", "P4711"], ["Finish", "Painted"], ["Note", "doc note"],
                                      ["m0", "first"], ["m1", "second"], ["Extra", "not configured"]],
                                 "Thick": [["Project", "P0012"], ["Finish", "Chrome"], ["Note", "thick note"]],
                                 "Bare": []}})")
                .arg(title)
                .toUtf8());
    }

    // Frame 0: Project, Finish (a list), Note, and a list row of m0 and m1; every field empty.
    M &open()
    {
        editorDoc = openPart("Part1", {"Default", "Long"});
        std::vector<CPItem> items{plainItem("Project"), listItem("Finish", {"Raw", "Painted", "Zinc"}),
            plainItem("Note"), plainItem("m0"), plainItem("m1")};
        for (CPItem &i : items)
            i.defaultValue.clear();
        makeList(addGroup(state, 0, "G", std::move(items)), {3, 4});
        state.useConfigs = true;
        return load();
    }

    std::unique_ptr<ConfigsSelect> dialogOn(M &m, const QString &path)
    {
        app->activate(editorDoc);
        auto dialog = std::make_unique<ConfigsSelect>(m);
        dialog->setFilePath(path);
        EXPECT_TRUE(dialog->formLoad());
        return dialog;
    }

    static QStringList entries(QListWidget *list)
    {
        QStringList texts;
        for (int k = 0; k < list->count(); ++k)
            texts << list->item(k)->text();
        return texts;
    }

    QStringList boxTexts()
    {
        QStringList texts;
        for (const RecordedBox &box : prompts.boxes())
            texts << box.text;
        return texts;
    }

    std::shared_ptr<HostDocument> editorDoc;
};

TEST_F(CopyTest, ChosenLevelFillsOnlyEmptyFields)
{
    M &m = open();
    const QString source = writeSource("Source.sldprt");
    setFieldValue(item(0, 0, 2).valueControls[0], "mine");

    auto dialog = dialogOn(m, source);
    EXPECT_EQ(entries(dialog->list()), QStringList({"<Source.SLDPRT>", "Thick", "Bare"}));
    EXPECT_EQ(entries(dialog->CPlist()).mid(0, 2), QStringList({"Project: P4711", "Finish: Painted"}));
    dialog->doneClick();
    EXPECT_EQ(state.swModel, editorDoc);
    EXPECT_EQ(QStringList({text(0, 0), text(1, 0), text(2, 0), text(3, 0), text(4, 0), text(0, 1)}),
        QStringList({"P4711", "Painted", "mine", "first", "second", ""}))
        << "a filled field and other slots keep their values; hidden list members are filled too";
    EXPECT_FALSE(app->findDocument(source)->isClosed()) << "the other document stays open";

    // A configuration goes into whichever slot is selected; a value that is none of a list's
    // entries gives its first.
    m.configsList()->setCurrentRow(2);
    dialog = dialogOn(m, source);
    dialog->list()->setCurrentRow(1);
    EXPECT_EQ(entries(dialog->CPlist()), QStringList({"Project: P0012", "Finish: Chrome", "Note: thick note"}));
    dialog->doneClick();
    EXPECT_EQ(QStringList({text(0, 2), text(1, 2), text(2, 2)}), QStringList({"P0012", "Raw", "thick note"}));
    EXPECT_TRUE(app->activeDocument() == editorDoc && prompts.boxes().empty()) << boxTexts().join('|').toStdString();
}

TEST_F(CopyTest, FileDialogAndExtensions)
{
    M &m = open();
    prompts.queueFile(std::nullopt);
    m.Copy()->click();
    EXPECT_EQ(prompts.fileRequests().size(), 1u);
    EXPECT_TRUE(prompts.boxes().empty()) << "cancelling the file dialog ends the command silently";

    // Neither a name without a dot nor a drawing is opened, nor a path too long for the dialog.
    for (const char *name : {"README", "Sheet.slddrw", "dotted.dir/Plain"}) {
        prompts.queueFile(write(name, "{}"));
        m.Copy()->click();
    }
    EXPECT_EQ(boxTexts(), QStringList(3, "Unknown file extension"));
    EXPECT_EQ(app->documents().size(), 1);

    // The extension test ignores case.
    EXPECT_EQ(dialogOn(m, writeSource("Upper.SLDPRT"))->list()->count(), 3);

    // A FreeCAD document is opened as whatever it holds, a part or an assembly; it has no
    // configurations.
    for (const char *name : {"Block.FCStd", "Stand.FCStd"}) {
        const auto dialog = dialogOn(m,
            write(QString::fromLatin1(name),
                readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + QLatin1String(name))));
        EXPECT_EQ(entries(dialog->list()), QStringList(QStringLiteral("<%1>").arg(name)));
        EXPECT_TRUE(entries(dialog->CPlist())
                        .contains(name == QLatin1String("Block.FCStd") ? "PartNo: FC-100" : "PartNo: FC-900"));
    }
    EXPECT_EQ(prompts.fileRequests().back().filterEntries[3].patterns, "*.FCStd;*.fcstd");
}

TEST_F(CopyTest, ScratchpadAndCancelComeBackToTheEditorDocument)
{
    M &m = open();
    const QString source = writeSource("Source.sldprt");

    auto dialog = dialogOn(m, source);
    dialog->list()->setCurrentRow(2);
    dialog->copyScratchClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_FALSE(QFile::exists(settingsPath)) << "a level without properties writes nothing";

    dialog = dialogOn(m, source);
    dialog->copyScratchClick();
    {
        SettingsStore store(settingsPath);
        EXPECT_EQ(Scratchpad(store).value("project"), "P4711");
        EXPECT_EQ(Scratchpad(store).value("Extra"), "not configured") << "also properties no item names";
    }
    dialogOn(m, source)->reject();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(text(0, 0), "") << "neither the scratchpad nor closing the dialog copies into the fields";

    writeFile(settingsPath, QByteArray(4096, 'x'));
    dialogOn(m, source)->copyScratchClick();
    EXPECT_TRUE(boxTexts().value(0).endsWith("in <Copy to Scratchpad>     ")) << boxTexts().join('|').toStdString();
    EXPECT_EQ(app->activeDocument(), editorDoc);
}

TEST_F(CopyTest, FailedReactivationCopiesNothing)
{
    // A file of the same title elsewhere, open before the editor's: found by title, it would be
    // the document that Done writes into.
    app->openDocument(writeSource("elsewhere/Part1.sldprt", "Part1"));
    M &m = open();
    const QString source = writeSource("Source.sldprt");
    auto dialog = dialogOn(m, source);
    dialog->doneClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(text(0, 0), "P4711");

    m.configsList()->setCurrentRow(1);
    for (int button = 0; button < 3; ++button) {
        dialog = dialogOn(m, source);
        app->calls()->failCall("ActivateDoc2", 1, err::Automation, "Method 'ActivateDoc2' failed");
        if (button == 0)
            dialog->doneClick();
        else if (button == 1)
            dialog->copyScratchClick();
        else
            dialog->cancelClick();
    }
    dialog = dialogOn(m, source);
    app->closeDocument(editorDoc);
    dialog->doneClick();
    EXPECT_EQ(dialog->activateError(), 1);
    EXPECT_EQ(boxTexts(), QStringList(4, "Problem reactivating original SW document"));
    EXPECT_EQ(text(3, 1), "") << "nothing copied";
}

TEST_F(CopyTest, DoneWritesOnlyIntoTheEditorsDocument)
{
    // Copy From... whose return fails leaves the other document active: Done brings the
    // editor's back, and when that fails too it writes nothing anywhere.
    M &m = open();
    const QString source = writeSource("Source.sldprt");
    prompts.queueFile(source);
    QTimer::singleShot(0, [this] {
        auto *dialog = qobject_cast<ConfigsSelect *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        app->calls()->failCall("ActivateDoc2", 1, err::Automation, "Method 'ActivateDoc2' failed");
        dialog->doneClick();
    });
    m.Copy()->click();
    const auto other = app->findDocument(source);
    ASSERT_EQ(app->activeDocument(), other);
    const QStringList before = other->GetCustomInfoNames2("");
    app->calls()->failCall("ActivateDoc2", 1, err::Automation, "Method 'ActivateDoc2' failed");
    m.done()->click();
    EXPECT_EQ(
        boxTexts().last(), "The document this editor was opened on cannot be made active again. Nothing was written.");
    EXPECT_EQ(other->GetCustomInfoNames2(""), before);
    EXPECT_TRUE(editorDoc->GetCustomInfoNames2("").isEmpty());

    m.done()->click();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(editorDoc->CustomInfo2("", "Note"), "") << "the failed copy filled nothing";
    EXPECT_EQ(other->GetCustomInfoNames2(""), before);
}

TEST_F(CopyTest, FailuresInsideTheDialog)
{
    M &m = open();
    for (const QString &path : {write("Broken.sldprt", "{ not json"), dir.filePath("Missing.sldasm")}) {
        auto dialog = dialogOn(m, path);
        EXPECT_EQ(dialog->list()->count() + dialog->CPlist()->count(), 0);
        dialog->doneClick();
        dialogOn(m, path)->copyScratchClick();
        dialogOn(m, path)->cancelClick();
        EXPECT_EQ(app->activeDocument(), editorDoc);
    }
    EXPECT_EQ(boxTexts(), QStringList(2, "Unable to copy CP Values")) << "no copy is claimed";

    // A failing load shows what it filled; a level that cannot be read shows no properties.
    app->calls()->failCall("GetConfigurationNames", 1, err::Automation, "Method failed");
    auto dialog = dialogOn(m, writeSource("Source.sldprt"));
    EXPECT_EQ(prompts.boxes().back().text, "Some error...");
    EXPECT_EQ(entries(dialog->list()), QStringList({"<Source.SLDPRT>"}));
    dialog = dialogOn(m, dir.filePath("Source.sldprt"));
    app->calls()->failCall("GetCustomInfoNames2", 1, err::Automation, "Method failed");
    dialog->list()->setCurrentRow(1);
    EXPECT_EQ(dialog->CPlist()->count(), 0);
    EXPECT_TRUE(prompts.boxes().back().text.endsWith("(Method failed) in <configsSelect list>     "));
    dialog->cancelClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
}

class ScratchpadTest : public EditorFixture {
protected:
    MultiColumnComboBox *combo(int f, int g, int i, int c) { return comboOf(item(f, g, i).valueControls[size_t(c)]); }

    std::optional<QString> stored(const QString &tag)
    {
        SettingsStore store(settingsPath);
        return Scratchpad(store).value(tag);
    }

    // Frame 0: Project, Finish (a list), Note; frame 1: Project again and Other. Fields start
    // empty; the part has two configurations.
    M &open()
    {
        openPart("Part1.SLDPRT", {"Default", "Long"});
        addGroup(state, 0, "G", {plainItem("Project"), listItem("Finish", {"Raw", "Painted"}), plainItem("Note")});
        addGroup(state, 1, "H", {plainItem("project"), plainItem("Other")});
        for (Frame &frame : state.frames)
            for (Group &group : frame.groups)
                for (CPItem &i : group.items)
                    i.defaultValue.clear();
        state.useConfigs = true;
        M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        return m;
    }
};

TEST_F(ScratchpadTest, SavedValuesComeBackInEmptyFieldsOnly)
{
    M &m = open();
    set(0, 0, 0, 0, "P1234");
    combo(0, 0, 1, 0)->setListIndex(1);
    m.scratchpad().saveScratch();
    EXPECT_TRUE(state.runOk);
    EXPECT_TRUE(stored("PROJECT") == "P1234" && stored("Finish") == "Painted");
    EXPECT_EQ(stored("Note"), "") << "an empty field is saved as an empty entry";
    EXPECT_EQ(stored("Other"), std::nullopt) << "only the frame on screen is saved";

    // Another frame whose property differs only in case shares the entry; a filled field keeps
    // its text.
    m.frameSelect()->setListIndex(1);
    set(1, 0, 1, 0, "mine");
    m.Scratch()->click();
    EXPECT_TRUE(text(1, 0, 0, 0) == "P1234" && text(1, 0, 1, 0) == "mine");
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(ScratchpadTest, ASaveThatFailsHalfwayLeavesNoneOfItsEntries)
{
    {
        SettingsStore store(settingsPath);
        Scratchpad earlier(store);
        earlier.save("Project", "P-old");
        earlier.save("Finish", "Raw");
    }
    // The store refuses Finish, the second entry the editor writes.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(settingsPath.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                  "CREATE TRIGGER refuse BEFORE INSERT ON entries WHEN NEW.key_folded = 'finish' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END;",
                  nullptr, nullptr, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
    M &m = open();
    set(0, 0, 0, 0, "P-new");
    combo(0, 0, 1, 0)->setListIndex(1);
    m.scratchpad().saveScratch();
    EXPECT_FALSE(state.runOk);
    EXPECT_TRUE(stored("Project") == "P-old" && stored("Finish") == "Raw");

    // A store that cannot be opened at all is reported under each command's name.
    writeFile(settingsPath, QByteArray(4096, 'x'));
    m.scratchpad().loadScratch();
    m.scratchpad().clearScratchpad();
    ASSERT_EQ(prompts.boxes().size(), 3u);
    EXPECT_TRUE(prompts.boxes()[0].text.endsWith("in <Save Scratch CP Values>     "));
    EXPECT_TRUE(prompts.boxes()[1].text.endsWith("in <Load Scratch CP Values>     "));
    EXPECT_TRUE(prompts.boxes()[2].text.endsWith("in <Clear Scratchpad>     "));
}

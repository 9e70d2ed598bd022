// Copy From...: the file dialog, the configsSelect dialog over another document, copying into
// empty fields or into the scratchpad, and the editor's document made active again after every
// button, also when that fails.

#include "editor_fixture.h"

#include "addin/runtime_error.h"
#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "platform/settings_store.h"
#include "transfer/configs_select.h"
#include "transfer/scratchpad.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

using namespace tavik;

class CopyTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        settingsPath = dir.filePath(QStringLiteral("settings.sqlite"));
        qputenv("TAVIK_SETTINGS", settingsPath.toLocal8Bit());
    }

    QString text(int i, int c) { return fieldValue(item(0, 0, i).valueControls[size_t(c)]); }
    void set(int i, int c, const QString &value) { setFieldValue(item(0, 0, i).valueControls[size_t(c)], value); }
    MultiColumnComboBox *combo(int i, int c) { return comboOf(item(0, 0, i).valueControls[size_t(c)]); }

    // A document file to copy from: Gusset-like values at the document level and in "Thick",
    // nothing in "Bare".
    QString writeSource(const QString &fileName, const QString &title = QStringLiteral("Source.SLDPRT"))
    {
        const QJsonObject props{
            {QString(), QJsonArray{QJsonArray{"Project", "P4711"}, QJsonArray{"Finish", "Painted"},
                                   QJsonArray{"Note", "doc note"}, QJsonArray{"m0", "first"},
                                   QJsonArray{"m1", "second"}, QJsonArray{"Extra", "not configured"}}},
            {QStringLiteral("Thick"), QJsonArray{QJsonArray{"Project", "P0012"}, QJsonArray{"Finish", "Chrome"},
                                                 QJsonArray{"Note", "thick note"}}},
            {QStringLiteral("Bare"), QJsonArray{}}};
        const QJsonObject doc{{"type", 1},
                              {"title", title},
                              {"configurations", QJsonArray{"Thick", "Bare"}},
                              {"customProperties", props}};
        return writeFile(fileName, QJsonDocument(doc).toJson());
    }

    QString writeFile(const QString &fileName, const QByteArray &content)
    {
        const QString path = dir.filePath(fileName);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }

    // Frame 0: Project, Finish (a list), Note, and a list row of m0 and m1; every field empty.
    M &open()
    {
        editorDoc = openPart("Part1", {"Default", "Long"});
        std::vector<CPItem> items{plainItem("Project"), plainItem("Finish"), plainItem("Note"), plainItem("m0"),
                                  plainItem("m1")};
        items[1].type = QStringLiteral("list");
        for (const char *entry : {"Raw", "Painted", "Zinc"})
            items[1].options.push_back(CPOption{{entry, QString(), QString()}, 0});
        for (int k : {3, 4}) {
            items[size_t(k)].inList = true;
            items[size_t(k)].listRef = CPRef{0, 0, 0};
        }
        for (CPItem &i : items)
            i.defaultValue.clear();
        Group &group = addGroup(state, 0, "G", std::move(items));
        group.lists.push_back(CPList{});
        group.lists[0].members = {CPRef{0, 0, 3}, CPRef{0, 0, 4}};
        state.useConfigs = true;
        M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        return m;
    }

    std::unique_ptr<ConfigsSelect> dialogOn(M &m, const QString &path, bool shown = true)
    {
        auto dialog = std::make_unique<ConfigsSelect>(m);
        dialog->setFilePath(path);
        EXPECT_EQ(dialog->formLoad(), shown);
        return dialog;
    }

    QStringList entries(QListWidget *list)
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

    std::optional<QString> scratch(const QString &name)
    {
        SettingsStore store(settingsPath);
        return Scratchpad(store).value(name);
    }

    QString settingsPath;
    std::shared_ptr<HostDocument> editorDoc;
};

TEST_F(CopyTest, ChosenLevelFillsOnlyEmptyFields)
{
    M &m = open();
    const QString source = writeSource("Source.sldprt");
    set(2, 0, "mine");

    auto dialog = dialogOn(m, source);
    EXPECT_EQ(entries(dialog->list()), QStringList({"<Source.SLDPRT>", "Thick", "Bare"}));
    EXPECT_EQ(dialog->list()->currentRow(), 0);
    EXPECT_EQ(entries(dialog->CPlist()).mid(0, 2), QStringList({"Project: P4711", "Finish: Painted"}));
    EXPECT_EQ(dialog->windowTitle(), "Copy from: <Source.SLDPRT>");
    EXPECT_EQ(dialog->lbl()->text(), "Select Configuration to copy CP Values from...");
    EXPECT_EQ(app->activeDocument()->title(), "Source.SLDPRT") << "the other document is open and active";
    dialog->doneClick();

    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(state.swModel, editorDoc);
    EXPECT_EQ(text(0, 0), "P4711");
    EXPECT_EQ(combo(1, 0)->listIndex(), 1);
    EXPECT_EQ(text(2, 0), "mine") << "a filled field keeps its value";
    EXPECT_EQ(text(3, 0), "first");
    EXPECT_EQ(text(4, 0), "second") << "a member the selector does not show is filled too";
    EXPECT_EQ(text(0, 1), "") << "other slots are left alone";
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(dialog->otherDocument(), nullptr) << "the other document is released";
    EXPECT_FALSE(app->findDocument(source)->isClosed()) << "but stays open in the host";

    // A configuration's values go into whichever slot is selected; a value that is none of the
    // list's entries gives its first.
    m.configsList()->setCurrentRow(2);
    dialog = dialogOn(m, source);
    dialog->list()->setCurrentRow(1);
    EXPECT_EQ(dialog->selectedConfiguration(), "Thick");
    EXPECT_EQ(entries(dialog->CPlist()), QStringList({"Project: P0012", "Finish: Chrome", "Note: thick note"}));
    dialog->doneClick();
    EXPECT_EQ(text(0, 2), "P0012");
    EXPECT_EQ(text(2, 2), "thick note");
    EXPECT_EQ(combo(1, 2)->listIndex(), 0);
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_TRUE(prompts.boxes().empty()) << boxTexts().join('|').toStdString();
}

TEST_F(CopyTest, FileDialogAndExtensions)
{
    M &m = open();
    prompts.queueFile(std::nullopt);
    m.Copy()->click();
    ASSERT_EQ(prompts.fileRequests().size(), 1u);
    const FileOpenRequest &request = prompts.fileRequests()[0];
    EXPECT_EQ(request.title, "Tavik: Select SolidWorks Document...");
    EXPECT_EQ(request.initialFolder, QDir::currentPath());
    EXPECT_EQ(request.maxFileLength, 2048);
    EXPECT_TRUE(request.fileMustExist && request.pathMustExist);
    ASSERT_EQ(request.filterEntries.size(), 4u);
    const QStringList labels{"SolidWorks Files (*.sldprt, *.sldasm)", "Part (*.prt, *.sldprt)",
                             "Assembly (*.asm, *.sldasm)", "All files (*.*)"};
    const QStringList patterns{"*.sldprt;*.sldasm", "*.prt;*.sldprt", "*.asm;*.sldasm", "*.*"};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(request.filterEntries[k].label, labels[qsizetype(k)]);
        EXPECT_EQ(request.filterEntries[k].patterns, patterns[qsizetype(k)]);
    }
    EXPECT_TRUE(prompts.boxes().empty()) << "cancelling the file dialog ends the command silently";

    // Neither a name without a dot nor a drawing is opened; the dialog is not shown.
    for (const char *name : {"README", "Sheet.slddrw", "dotted.dir/Plain"}) {
        prompts.queueFile(writeFile(name, "{}"));
        m.Copy()->click();
    }
    EXPECT_EQ(boxTexts(), QStringList(3, "Unknown file extension"));
    EXPECT_EQ(prompts.boxes()[0].title, "");
    EXPECT_EQ(prompts.boxes()[0].icon, MessageIcon::None);
    EXPECT_EQ(app->documents().size(), 1);

    // A path longer than the dialog's room is a failure of the command.
    prompts.queueFile(QString(3000, 'x') + ".sldprt");
    m.Copy()->click();
    EXPECT_EQ(prompts.boxes().back().text, "Error: 20476 Exiting");

    // The extension test ignores case; through the button, the dialog opens modally and its
    // Copy to Document button copies.
    prompts.queueFile(writeSource("Upper.SLDPRT"));
    bool seen = false;
    QTimer::singleShot(0, &m, [&] {
        auto *dialog = m.findChild<ConfigsSelect *>();
        seen = dialog && dialog->isVisible() && dialog->isModal();
        if (dialog)
            dialog->done()->click();
    });
    m.Copy()->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(text(0, 0), "P4711");
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(prompts.boxes().size(), 4u);
}

TEST_F(CopyTest, ScratchpadAndCancelReactivateTheEditorDocument)
{
    M &m = open();
    const QString source = writeSource("Source.sldprt");

    // A level without properties writes nothing.
    auto dialog = dialogOn(m, source);
    dialog->list()->setCurrentRow(2);
    EXPECT_EQ(dialog->CPlist()->count(), 0);
    dialog->copyScratchClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_FALSE(QFile::exists(settingsPath));

    // Every property of the level goes, also one no item names; no field changes.
    dialog = dialogOn(m, source);
    dialog->copyScratchClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(scratch("project"), "P4711");
    EXPECT_EQ(scratch("Extra"), "not configured");
    EXPECT_EQ(text(0, 0), "");
    m.loadScratch();
    EXPECT_EQ(text(0, 0), "P4711") << "Load Scratch finds what Copy to Scratchpad wrote";

    m.configsList()->setCurrentRow(1);
    dialog = dialogOn(m, source);
    dialog->cancelClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(dialog->otherDocument(), nullptr);
    EXPECT_EQ(text(0, 1), "") << "Cancel copies nothing";

    // Escape or the window's close button is Cancel.
    dialog = dialogOn(m, source);
    dialog->reject();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_TRUE(prompts.boxes().empty()) << boxTexts().join('|').toStdString();
}

TEST_F(CopyTest, FailedReactivationCopiesNothing)
{
    M &m = open();
    const QString source = writeSource("Source.sldprt");

    for (int button = 0; button < 3; ++button) {
        app->activate(editorDoc);
        auto dialog = dialogOn(m, source);
        app->calls()->failCall("ActivateDoc2", 1, err::Automation, "Method 'ActivateDoc2' failed");
        if (button == 0)
            dialog->doneClick();
        else if (button == 1)
            dialog->copyScratchClick();
        else
            dialog->cancelClick();
    }
    EXPECT_EQ(boxTexts(), QStringList(3, "Problem reactivating original SW document"));
    EXPECT_EQ(prompts.boxes()[0].title, "");
    EXPECT_EQ(text(0, 0), "");
    EXPECT_EQ(text(3, 0), "");

    // The host's own failure code, with the editor's document gone from the host.
    app->activate(editorDoc);
    auto dialog = dialogOn(m, source);
    app->closeDocument(editorDoc);
    dialog->doneClick();
    EXPECT_EQ(dialog->activateError(), 1);
    EXPECT_EQ(prompts.boxes().size(), 4u);
    EXPECT_EQ(text(0, 0), "");
}

TEST_F(CopyTest, EditorDocumentIsFoundByPathNotByTitle)
{
    // Another file of the same title, opened before the editor's: activating by title would
    // make it the one that Done then writes into.
    const QString twin = writeSource("elsewhere/Part1.sldprt", "Part1");
    app->openDocument(twin);
    M &m = open();
    EXPECT_EQ(app->activeDocument(), editorDoc);

    auto dialog = dialogOn(m, writeSource("Source.sldprt"));
    EXPECT_EQ(dialog->editorDocumentName(), editorDoc->path());
    dialog->doneClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
    EXPECT_EQ(text(0, 0), "P4711");
}

TEST_F(CopyTest, DocumentThatCannotBeOpenedLeavesEmptyLists)
{
    M &m = open();
    for (const char *name : {"Broken.sldprt", "Missing.sldasm"}) {
        const QString path = QString::fromLatin1(name) == "Broken.sldprt" ? writeFile(name, "{ not json")
                                                                          : dir.filePath(name);
        const size_t shown = prompts.boxes().size();
        auto dialog = dialogOn(m, path);
        EXPECT_EQ(dialog->list()->count(), 0);
        EXPECT_EQ(dialog->CPlist()->count(), 0);
        EXPECT_NE(dialog->openError(), 0);
        EXPECT_EQ(prompts.boxes().size(), shown);
        dialog->doneClick();
        EXPECT_EQ(app->activeDocument(), editorDoc);
        EXPECT_EQ(prompts.boxes().back().text, "Unable to copy CP Values") << "no copy is claimed";
        EXPECT_EQ(text(0, 0), "");
        dialog = dialogOn(m, path);
        dialog->copyScratchClick();
        dialog = dialogOn(m, path);
        dialog->cancelClick();
    }
    EXPECT_EQ(prompts.boxes().size(), 2u);

    // A failure while the dialog loads is shown and keeps what was filled.
    app->calls()->failCall("GetConfigurationNames", 1, err::Automation, "Method failed");
    auto dialog = dialogOn(m, writeSource("Source.sldprt"));
    EXPECT_EQ(prompts.boxes().back().text, "Some error...");
    EXPECT_EQ(entries(dialog->list()), QStringList({"<Source.SLDPRT>"}));
    dialog->cancelClick();
    EXPECT_EQ(app->activeDocument(), editorDoc);
}

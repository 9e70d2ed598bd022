#include "document_fixture.h"

#include "docsvc/system_write.h"

#include <QFileInfo>

using namespace tavik;

using SystemWrite = DocumentFixture;

TEST_F(SystemWrite, OnlyListedTargetsWriteAndBadValuesWriteNothing)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany);
    const auto doc = open("Bracket.sldprt", {{"density", 2700.0}});
    calls().clearLog();
    for (const char *target : {"", "Density", "summarySavedBy", "fileName", "unit"})
        EXPECT_TRUE(writeSystemValue(state, target, "7850", us)) << target;
    EXPECT_TRUE(calls().calls().isEmpty());

    for (const char *bad : {"abc", "", "12kg", "nan", "1e999"})
        EXPECT_FALSE(writeSystemValue(state, "density", bad, us)) << bad;
    EXPECT_FALSE(doc->isChanged());
    EXPECT_TRUE(writeSystemValue(state, "density", " 7850 ", us));
    EXPECT_EQ(doc->data().density, 7850.0);
    EXPECT_TRUE(writeSystemValue(state, "density", "2,5", de));
    EXPECT_EQ(doc->data().density, 2.5);

    for (const auto &[summary, k] : {std::pair{"summaryTitle", 0}, std::pair{"summaryComments", 4}}) {
        EXPECT_TRUE(writeSystemValue(state, summary, QStringLiteral("v%1").arg(k)));
        EXPECT_EQ(doc->data().summaryInfo[size_t(k)], QStringLiteral("v%1").arg(k));
    }
    calls().failCall("SetSummaryInfo", 1, 5, "Invalid procedure call or argument");
    EXPECT_FALSE(writeSystemValue(state, "summaryTitle", "x"));
    EXPECT_EQ(doc->data().summaryInfo[0], "v0");
}

TEST_F(SystemWrite, UnitsTakeTheCodeOfTheirFormWhateverTheCase)
{
    const auto doc = open("Bracket.sldprt", {});
    const std::pair<const char *, int> cases[] = {{"MM", 0}, {"swmm", 0}, {"Inches", 3}, {"ft-in", 5}, {"a", 6},
        {"SWUIN", 10}, {"swmictron", 8}, {"SwMicron", 8}, {"metre", 2}, {"", 2}};
    for (const auto &[units, code] : cases) {
        SCOPED_TRACE(units);
        doc->setLengthUnit(3);
        calls().clearLog();
        EXPECT_TRUE(writeSystemValue(state, "units", units));
        EXPECT_EQ(doc->data().lengthUnit, code);
        // The application's linear unit follows too.
        const auto preferences = calls().callsOf("SetUserPreferenceIntegerValue");
        ASSERT_EQ(preferences.size(), 2);
        EXPECT_EQ(preferences[1].object, "SldWorks");
        EXPECT_EQ(preferences[1].args, (QStringList{"47", QString::number(code)}));
    }
    doc->setLengthUnit(3);
    calls().failCall("SetLengthUnit", 1, 5, "Invalid procedure call or argument");
    EXPECT_FALSE(writeSystemValue(state, "units", "mm"));
    EXPECT_EQ(doc->data().lengthUnit, 3);
}

TEST_F(SystemWrite, FileNameAndTitleTakeTheDocumentsExtension)
{
    const auto doc = open("Old.sldprt", {});
    EXPECT_TRUE(writeSystemValue(state, "filename", "A100"));
    EXPECT_EQ(doc->path(), dir.filePath("A100.sldprt"));
    EXPECT_EQ(calls().callsOf("SaveAs2").last().args, (QStringList{"A100.sldprt", "0", "False", "False"}));
    EXPECT_TRUE(writeSystemValue(state, "setTitle", "Bracket"));
    EXPECT_EQ(doc->title(), "Bracket.sldprt");

    // A blank name is refused before the host is asked; a save that the host cannot do fails.
    calls().clearLog();
    EXPECT_FALSE(writeSystemValue(state, "filename", "  "));
    EXPECT_TRUE(calls().callsOf("SaveAs2").isEmpty());
    open("Other.sldprt", {});
    app->activate(doc);
    EXPECT_FALSE(writeSystemValue(state, "filename", "Other"));
    calls().failCall("SaveAs2", 1, 440, "Automation error");
    EXPECT_FALSE(writeSystemValue(state, "filename", "B200"));
    EXPECT_EQ(doc->path(), dir.filePath("A100.sldprt"));

    const auto drawing = open("Sheet.json", {{"type", 3}});
    EXPECT_TRUE(writeSystemValue(state, "filename", "Sheet2"));
    EXPECT_EQ(drawing->path(), dir.filePath("Sheet2"));
    EXPECT_TRUE(writeSystemValue(state, "setTitle", "Sheet"));
    EXPECT_EQ(drawing->title(), "Sheet");
    EXPECT_FALSE(writeSystemValue(state, "setTitle", "")); // the host refuses an empty title

    // A FreeCAD document keeps its file's kind, and the extension as written.
    const auto block = app->openDocument(
        write("Block.FCStd", readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd"))));
    EXPECT_TRUE(writeSystemValue(state, "filename", "A200"));
    EXPECT_EQ(block->path(), dir.filePath("A200.FCStd"));
    EXPECT_EQ(std::make_shared<HostApplication>()->openDocument(block->path())->CustomInfo2("", "PartNo"), "FC-100");
    EXPECT_TRUE(writeSystemValue(state, "setTitle", "Block"));
    EXPECT_EQ(block->title(), "Block.FCStd");
}

#include "document_fixture.h"

#include "docsvc/system_read.h"
#include "platform/file_info.h"

#include <QJsonArray>

using namespace tavik;

namespace {
const QLocale us(QLocale::English, QLocale::UnitedStates);
const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
const QLocale de(QLocale::German, QLocale::Germany);
const QDateTime noon(QDate(2026, 3, 5), QTime(14, 3, 7));
} // namespace

using SystemRead = DocumentFixture;

TEST_F(SystemRead, SavedDocumentGivesEveryValue)
{
    QJsonObject o{{"title", "Bracket.SLDPRT"}, {"unitsString", "inches"}, {"density", 2700.0},
        {"massProperties", QJsonArray{0, 0, 0, 1.5, 0.25, 3}},
        {"summaryInfo", QJsonObject{{"author", "Au"}, {"savedBy", "B"}}}, {"pad", ""}};
    // Pad the file to exactly 1536 bytes.
    o["pad"] = QString(1536 - QJsonDocument(o).toJson(QJsonDocument::Compact).size(), QLatin1Char('x'));
    const QString path = write("Bracket.sldprt", QJsonDocument(o).toJson(QJsonDocument::Compact));
    ASSERT_EQ(QFileInfo(path).size(), 1536);
    app->openDocument(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(noon, QFileDevice::FileModificationTime));
    ASSERT_TRUE(f.setFileTime(noon.addDays(1), QFileDevice::FileAccessTime));
    f.close();
    auto read
        = [&](const char *name, const QLocale &locale = us) { return readSystemValue(state, name, locale, noon); };

    EXPECT_EQ(read("fileSize"), "1.50 Kb");
    EXPECT_EQ(read("fileSize", de), "1,50 Kb");
    EXPECT_EQ(read("dateModified", gb), "05/03/2026 14:03:07");
    EXPECT_EQ(read("dateAccessed", gb), "06/03/2026 14:03:07");
    EXPECT_EQ(read("dateCreated", gb), fileDateText(FileInfo(path).created(), gb));
    EXPECT_EQ(read("swDocType") + read("unit") + read("density"), "Partinches 2700");
    EXPECT_EQ(read("volume") + read("area") + read("mass"), " 1.5 0.25 3");
    EXPECT_EQ(read("fileName"), "Bracket.SLDPRT");
    EXPECT_EQ(read("fileNameWithPath"), path);
    EXPECT_EQ(read("summaryAuthor") + "|" + read("summarySavedBy") + "|" + read("summaryTitle"), "Au|B|");
    EXPECT_EQ(read("systemLongDate") + "|" + read("systemLongDate", de), "March 05, 2026|März 05, 2026");
    EXPECT_EQ(read("systemShortDate") + " " + read("systemTime") + "|" + read("systemDate"),
        "05-Mar-26 14:03:07|05-Mar-26 14:03:07");
    EXPECT_EQ(read("filename"), "ERROR: <filename> function not implemented");

    // The mass properties are asked for on every read of a document with a file.
    calls().clearLog();
    read("fileName");
    read("systemTime");
    EXPECT_EQ(calls().callsOf("GetMassProperties").size(), 2);
}

TEST_F(SystemRead, DocumentWithoutFileOrMassPropertiesGivesEmptyTexts)
{
    app->newDocument(sw::swDocASSEMBLY, "Assem1");
    for (const char *name : {"fileSize", "dateCreated", "dateModified", "volume", "mass", "fileNameWithPath"})
        EXPECT_EQ(readSystemValue(state, name), "") << name;
    EXPECT_EQ(readSystemValue(state, "fileName") + readSystemValue(state, "swDocType"), "Assem1Assembly");
    EXPECT_TRUE(calls().callsOf("GetMassProperties").isEmpty());

    open("empty.sldprt", {{"type", 3}, {"massProperties", QJsonArray{}}});
    EXPECT_EQ(readSystemValue(state, "swDocType"), "Other");
    EXPECT_EQ(readSystemValue(state, "volume") + readSystemValue(state, "area") + readSystemValue(state, "mass"), "");

    // A result too short for the value asked is an error of that value, not a crash.
    open("short.sldprt", {{"massProperties", QJsonArray{0, 0, 0, 7}}});
    EXPECT_EQ(readSystemValue(state, "volume"), " 7");
    EXPECT_EQ(readSystemValue(state, "mass"), "ERROR:  3 <mass> Could not read system value");
}

TEST_F(SystemRead, FailuresBecomeTheErrorTextOfTheStepReached)
{
    const auto failing = open("fail.sldprt", {{"massProperties", "error"}});
    EXPECT_EQ(readSystemValue(state, "fileName"), "ERROR:  2 <fileName> Could not read system value");
    EXPECT_EQ(state.loadStage, 2);

    open("ok.sldprt", {});
    calls().failCall("SummaryInfo", 1, 5, "Invalid procedure call or argument");
    EXPECT_EQ(readSystemValue(state, "summaryAuthor"), "ERROR:  3 <summaryAuthor> Could not read system value");

    // The document's file has gone since it was opened.
    ASSERT_TRUE(QFile::remove(dir.filePath("ok.sldprt")));
    EXPECT_EQ(readSystemValue(state, "fileName"), "ERROR:  1 <fileName> Could not read system value");

    app->closeDocument(app->activeDocument());
    app->closeDocument(failing);
    EXPECT_EQ(readSystemValue(state, "swDocType"), "ERROR:  1 <swDocType> Could not read system value");
}

TEST(SystemReadTexts, FileSizeRoundsHalvesUpWithoutGrouping)
{
    EXPECT_EQ(fileSizeText(128, us), "0.13 Kb"); // 0.125
    EXPECT_EQ(fileSizeText(qint64(5) << 40, de), "5368709120,00 Kb");
}

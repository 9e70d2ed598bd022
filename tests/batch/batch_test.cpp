// The parts of tavik-batch that its runs as a program cannot reach: sheets that are not well
// formed, a document changed on disk between reading and saving, and a numbering run stopped
// between drawing a number and writing it.

#include "batch_tree.h"

#include "batch/batch_configuration.h"
#include "batch/batch_document.h"
#include "batch/batch_number.h"
#include "batch/csv.h"
#include "batch/progress.h"
#include "batch/sheet.h"
#include "batch/stream_prompts.h"
#include "host/document_file_error.h"
#include "platform/settings_store.h"
#include "serial/counter_store.h"

using namespace tavik;

TEST(BatchSheet, CsvKeepsEveryCharacterAndRefusesMalformedRecords)
{
    const QStringList fields{"plain", "", "comma,", "quote \"q\"", "line\r\nbreak", " blank", "Größe ✓"};
    QByteArray text;
    appendCsvRecord(text, fields);
    appendCsvRecord(text, {"last"});
    EXPECT_EQ(text.left(9), "plain,,\"c");
    CsvReader reader(text);
    EXPECT_EQ(reader.next(), fields);
    EXPECT_EQ(reader.next(), QStringList{"last"});
    EXPECT_EQ(reader.line(), 3);
    EXPECT_EQ(reader.next(), std::nullopt);

    // LF alone ends a record too, and a byte-order mark may open the sheet.
    const Sheet lf = readSheet("\xEF\xBB\xBFpath,configuration,A\nx.sldprt,,1\ny.sldprt,C,\n", SheetFormat::Csv);
    ASSERT_TRUE(lf.error.isEmpty()) << lf.error.toStdString();
    ASSERT_EQ(lf.rows.size(), 2u);
    EXPECT_EQ(lf.rows[1].configuration, "C");
    EXPECT_EQ(lf.rows[1].cells, (QList<std::pair<QString, QString>>{{"A", ""}}));

    for (const auto &[sheet, fault] : std::initializer_list<std::pair<const char *, const char *>>{
             {"path,A\nx,\"open", "line 2: a quoted field is not closed"},
             {"path,A\nx,\"a\"b\n", "line 2: text after a closing quote"},
             {"path,A\nx,a\"b\n", "line 2: a quote inside a field"},
             {"path,A\nx\n", "line 2: 1 fields where the header has 2"},
             {"A,B\n", "line 1: the header has no \"path\" column"},
             {"path,A,A\n", "line 1: column \"A\" is given twice"}})
        EXPECT_TRUE(readSheet(sheet, SheetFormat::Csv).error.startsWith(QString::fromLatin1(fault)))
            << sheet << " -> " << readSheet(sheet, SheetFormat::Csv).error.toStdString();
    EXPECT_EQ(sheetFormatOf(" \n[{}]"), SheetFormat::Json);
    EXPECT_TRUE(readSheet("[{\"path\": \"x\", \"A\": 1}]", SheetFormat::Json).error.contains("\"A\" is not a text"));
    EXPECT_TRUE(readSheet("[{\"A\": \"1\"}]", SheetFormat::Json).error.contains("\"path\""));
}

using BatchDocuments = BatchTree;

TEST_F(BatchDocuments, ASaveIsRefusedWhenTheFileChangedOnDiskSinceItWasRead)
{
    const std::unique_ptr<BatchDocument> plate = openBatchDocument(doc("parts/Plate.sldprt"));
    plate->setValue("Default", "Comment", "mine");
    setProperty("parts/Plate.sldprt", "", "Comment", "theirs");
    EXPECT_THROW(plate->save(), DocumentFileError);
    EXPECT_EQ(property("parts/Plate.sldprt", "", "Comment"), "theirs");
    EXPECT_EQ(property("parts/Plate.sldprt", "Default", "Comment"), std::nullopt);

    const std::unique_ptr<BatchDocument> fresh = openBatchDocument(doc("parts/Plate.sldprt"));
    fresh->setValue("Default", "Comment", "mine");
    const FileIdentity written = fresh->save();
    EXPECT_EQ(written, FileIdentity::ofFile(doc("parts/Plate.sldprt")));
    EXPECT_EQ(property("parts/Plate.sldprt", "Default", "Comment"), "mine");
    EXPECT_THROW(fresh->setValue("Nowhere", "Comment", "x"), DocumentFileError);
    EXPECT_THROW(openBatchDocument(doc("parts/Plate.sldprt"), DocumentAccess::ReadOnly)->save(), DocumentFileError);
}

namespace {

// Counters whose draws can be watched, and which can change a document on disk at a draw, as a
// run stopped after drawing a number and before writing it leaves things.
class WatchedCounters : public LocalCounterStore {
public:
    using LocalCounterStore::LocalCounterStore;
    Draw next(const QString &name, bool create) override
    {
        ++draws;
        if (onDraw)
            onDraw();
        return LocalCounterStore::next(name, create);
    }
    int draws = 0;
    std::function<void()> onDraw;
};

} // namespace

TEST_F(BatchDocuments, ANumberDrawnForADocumentThatWasNotWrittenIsItsNumberOnTheNextRun)
{
    QString error;
    const std::optional<BatchConfiguration> config = loadBatchConfiguration(addin, error);
    ASSERT_TRUE(config) << error.toStdString();
    setProperty("parts/Plate.sldprt", "", "Project", "P4711");
    SettingsStore store(settings());
    WatchedCounters counters(store);
    StreamPrompts prompts(stderr);
    Progress progress(stderr, -1);
    QString title;
    const NumberRequest request{"SerialNo", {doc("parts/Plate.sldprt")}, true};

    counters.onDraw = [this] { setProperty("parts/Plate.sldprt", "", "Comment", "edited meanwhile"); };
    NumberOutcome first
        = numberDocuments(*config, *config->item("SerialNo"), request, counters, store, prompts, progress, title);
    EXPECT_EQ(first.numbered, 0);
    ASSERT_EQ(first.problems.size(), 1);
    EXPECT_TRUE(first.problems[0].contains("changed by another program")) << first.problems[0].toStdString();
    EXPECT_EQ(property("parts/Plate.sldprt", "", "SerialNo"), std::nullopt);

    counters.onDraw = nullptr;
    for (int run = 0; run < 2; ++run) {
        const NumberOutcome next
            = numberDocuments(*config, *config->item("SerialNo"), request, counters, store, prompts, progress, title);
        EXPECT_TRUE(next.problems.isEmpty()) << next.problems.join('\n').toStdString();
    }
    EXPECT_EQ(property("parts/Plate.sldprt", "", "SerialNo"), "SN-0001");
    EXPECT_EQ(counters.draws, 1);
    EXPECT_EQ(store.keys("Tavik", "batchPendingNumbers"), QStringList());
    EXPECT_EQ(title, "Plate.SLDPRT");
}

TEST_F(BatchDocuments, ReadingForExportTakesWhatTheHostReadsAndLeavesFaultsToIt)
{
    const QString late = write("late.sldprt", R"({"customProperties": {"B": [["Name", "caf\u00e9\n\"x\""]], "": []},
                                                 "configurations": ["A", "B"], "density": 1})");
    const std::unique_ptr<BatchDocument> read = openBatchDocument(late, DocumentAccess::ReadOnly);
    EXPECT_EQ(read->configurations(), (QStringList{"A", "B"}));
    EXPECT_EQ(read->value("B", "Name"), QStringLiteral("café\n\"x\""));
    EXPECT_EQ(read->value("A", "Name"), std::nullopt);
    // A byte-order mark is left to the host's reader, which takes it.
    const QString marked = write("marked.sldprt", "\xEF\xBB\xBF{\"customProperties\": {\"\": [[\"Name\", \"x\"]]}}");
    EXPECT_EQ(openBatchDocument(marked, DocumentAccess::ReadOnly)->value("", "Name"), "x");

    for (const auto &[content, fault] : std::initializer_list<std::pair<const char *, const char *>>{
             {R"({"customProperties": {"": [["A", "1"], ["A", "2"]]}})",
                 "custom property \"A\" of the document level is given twice"},
             {R"({"customProperties": {"C": []}, "configurations": ["A"]})", "which is not a configuration"},
             {R"({"configurations": ["A", "A"]})", "configuration \"A\" is listed twice"},
             {R"({"customProperties": {"": [["A"]]}})", "[name, value] pair"},
             {R"({"customProperties": {"": [["A", "1"]]})", "not valid JSON"}}) {
        const QString path = write("bad.sldprt", content);
        try {
            openBatchDocument(path, DocumentAccess::ReadOnly);
            ADD_FAILURE() << content;
        } catch (const DocumentFileError &e) {
            EXPECT_TRUE(e.fault.contains(QString::fromLatin1(fault))) << e.fault.toStdString();
        }
    }
}

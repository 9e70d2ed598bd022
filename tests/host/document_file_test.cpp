// Reading, refusing and writing the document files of the bundled host.

#include "host_fixture.h"

#include "host/document_file_error.h"
#include "platform/runtime_error.h"

#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavik;

namespace {

const char *bracket = R"({
  "type": 1,
  "title": "Bracket.SLDPRT",
  "configurations": ["Default", "Long"],
  "activeConfiguration": "Long",
  "customProperties": {
    "": [["PartNo", "A100"], ["Description", "BRACKET"], ["Alpha", "last"]],
    "Default": [["Finish", "Anodised"]],
    "Long": []
  },
  "summaryInfo": {"title": "T", "subject": "S", "author": "A", "keywords": "K", "comments": "C",
                  "savedBy": "B"},
  "lengthUnit": 3,
  "unitsString": "in",
  "density": 2700.5,
  "massProperties": [0, 0, 0, 1.2e-5, 0.0031, 0.0324],
  "attributes": [{"name": "TavikAttribute", "definition": "pub_Tavik",
                  "parameters": {"USE_CONFIGS": 1.0, "USE_FRAME": 2.0}}]
})";

} // namespace

using DocumentFileTest = HostFixture;

TEST_F(DocumentFileTest, LoadsEveryMember)
{
    auto doc = app->openDocument(write("b.sldasm", QByteArray(bracket)));
    EXPECT_EQ(doc->GetType(), 1); // the member wins over the extension
    EXPECT_EQ(doc->GetTitle(), "Bracket.SLDPRT");
    EXPECT_EQ(doc->GetPathName(), QFileInfo(dir.filePath("b.sldasm")).absoluteFilePath());
    EXPECT_EQ(doc->GetConfigurationNames(), QStringList({"Default", "Long"}));
    EXPECT_EQ(doc->GetActiveConfiguration()->Name(), "Long");
    EXPECT_EQ(doc->GetCustomInfoNames2(""), QStringList({"PartNo", "Description", "Alpha"}));
    EXPECT_EQ(doc->CustomInfo2("Default", "Finish"), "Anodised");
    EXPECT_EQ(doc->GetCustomInfoCount2("Long"), 0);
    const QStringList summary = {"T", "S", "A", "K", "C", "B"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(doc->SummaryInfo(k), summary[k]);
    EXPECT_EQ(doc->LengthUnit(), 3);
    EXPECT_DOUBLE_EQ(doc->GetUserPreferenceDoubleValue(7), 2700.5);
    auto attribute = doc->FeatureByName("TavikAttribute")->GetSpecificFeature();
    EXPECT_DOUBLE_EQ(attribute->GetParameter("USE_FRAME")->GetDoubleValue(), 2.0);
    EXPECT_EQ(attribute->GetParameter("NOPE"), nullptr);
    EXPECT_FALSE(doc->isChanged());
}

TEST_F(DocumentFileTest, DefaultsWhenMembersAreAbsent)
{
    auto doc = open("Plate.SLDASM", QJsonObject());
    EXPECT_EQ(doc->GetType(), 2);
    EXPECT_EQ(doc->GetTitle(), "Plate.SLDASM");
    EXPECT_EQ(doc->GetConfigurationCount(), 0);
    EXPECT_EQ(doc->GetActiveConfiguration(), nullptr);
    EXPECT_EQ(doc->CustomInfo2("", "PartNo"), "");
    EXPECT_EQ(doc->SummaryInfo(5), "");
    EXPECT_EQ(doc->LengthUnit(), 0);
    EXPECT_EQ(doc->GetUserUnit(0)->GetUnitsString(true), "mm");
    EXPECT_DOUBLE_EQ(doc->GetUserPreferenceDoubleValue(7), 1000.0);
    int status = -1;
    EXPECT_TRUE(doc->Extension()->GetMassProperties(0, status).empty());
    EXPECT_EQ(doc->FeatureByName("TavikAttribute"), nullptr);

    auto marked = app->openDocument(write("bom.sldprt", QByteArray("\xEF\xBB\xBF{\"title\": \"Marked\"}")));
    EXPECT_EQ(marked->GetTitle(), "Marked");

    auto failing = open("f.sldprt", QJsonObject{{"massProperties", "error"}});
    EXPECT_THROW(failing->Extension()->GetMassProperties(0, status), RuntimeError);
}

TEST_F(DocumentFileTest, RefusesBrokenFilesNamingFileAndFault)
{
    const struct {
        const char *fileName;
        const char *content;
        const char *fault;
    } cases[] = {
        {"a.sldprt", "{\"type\": 1,", "not valid JSON"},
        {"b.sldprt", "[1, 2]", "does not hold a JSON object"},
        {"d.sldprt", R"({"type": 7})", "\"type\" must be 1"},
        {"e.txt", "{}", "no \"type\" member"},
        {"g.sldprt", R"({"configurations": ["A", "A"]})", "listed twice"},
        {"h.sldprt", R"({"configurations": ["A"], "activeConfiguration": "B"})", "\"B\" is not among"},
        {"i.sldprt", R"({"customProperties": {"": [["PartNo"]]}})", "[name, value] pair"},
        {"k.sldprt", R"({"customProperties": {"Long": []}})", "\"Long\", which is not a configuration"},
        {"l.sldprt", R"({"customProperties": {"": [["N", "1"], ["N", "2"]]}})",
            "\"N\" of the document level is given twice"},
        {"o.sldprt", R"({"lengthUnit": 11})", "length-unit code"},
        {"q.sldprt", R"({"massProperties": "oops"})", "array of numbers or \"error\""},
        {"r.sldprt", R"({"attributes": [{"name": "X", "parameters": {"P": "1"}}]})",
            "parameter \"P\" of attribute \"X\""},
        {"t.sldprt", R"({"type": 1, "title": "A", "title": "B"})", "member \"title\" is given twice"},
        {"u.sldprt", R"({"customProperties": {"": [], "": [["N", "1"]]}})", "member \"\" is given twice"},
        {"v.sldprt", R"({"vendor": [{"k": 1, "\u006b": 2}]})", "member \"k\" is given twice"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fileName);
        const QString path = write(c.fileName, QByteArray(c.content));
        try {
            app->openDocument(path);
            ADD_FAILURE() << "opened";
        } catch (const DocumentFileError &e) {
            EXPECT_TRUE(e.message.contains(QFileInfo(path).absoluteFilePath())) << e.what();
            EXPECT_TRUE(e.message.contains(QString::fromUtf8(c.fault))) << e.what();
        }
        EXPECT_EQ(read(path), QByteArray(c.content)); // nothing written
    }
    EXPECT_TRUE(app->documents().isEmpty());
    EXPECT_EQ(app->activeDocument(), nullptr);

    // Files that cannot be read at all; a FIFO is refused at once, not waited on.
    EXPECT_THROW(app->openDocument(dir.filePath("missing.sldprt")), DocumentFileError);
    QDir(dir.path()).mkdir("folder.sldprt");
    EXPECT_THROW(app->openDocument(dir.filePath("folder.sldprt")), DocumentFileError);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.sldprt")).constData(), 0644), 0);
    EXPECT_THROW(app->openDocument(dir.filePath("pipe.sldprt")), DocumentFileError);
    int errors = 0, warnings = 0;
    EXPECT_EQ(app->OpenDoc6(dir.filePath("a.sldprt"), 1, 0, "", errors, warnings), nullptr);
    EXPECT_EQ(errors, 1);
    EXPECT_TRUE(app->lastOpenError().contains("not valid JSON"));
    EXPECT_EQ(app->OpenDoc6(dir.filePath("missing.sldprt"), 1, 0, "", errors, warnings), nullptr);
    EXPECT_EQ(errors, 2);
}

TEST_F(DocumentFileTest, SavesRoundTripKeepingUnknownMembersAsWritten)
{
    // Unknown members keep their numbers exactly as written, also through a save of a saved file;
    // a byte-order mark opening a name or a value is part of the text.
    const QString mark(QChar(0xFEFF));
    const QByteArray raw = "{\"type\": 1, \"title\": \"Bracket.SLDPRT\", \"configurations\": [\"Default\", \"Long\"], "
                           "\"activeConfiguration\": \"Long\", \"customProperties\": {\"\": [[\"\xEF\xBB\xBFName\", "
                           "\"\xEF\xBB\xBFPLATE\"]], "
                           "\"Default\": [], \"Long\": []}, \"massProperties\": [0, 0, 0, 1.2e-5, 0.0031, 0.0324], "
                           R"("vendor": {"serial": 12345678901234567891, "offset": -0.0, "text": "a\"b"}, "count": 1.50,
        "summaryInfo": {"author": "A", "pages": 100000000000000000001},
        "attributes": [{"name": "X", "parameters": {"P": 1.0}, "weight": 2.5e-0}]})";
    const QString path = write("numbers.sldprt", raw);
    auto doc = app->openDocument(path);
    EXPECT_EQ(doc->CustomInfo2("", mark + "Name"), mark + "PLATE");
    ASSERT_TRUE(doc->AddCustomInfo3("Long", "Length", 30, mark + "250"));
    doc->SetSummaryInfo(2, "Me");
    ASSERT_TRUE(doc->SetUserPreferenceDoubleValue(7, 7850));
    EXPECT_TRUE(doc->isChanged());
    for (int round = 0; round < 2; ++round) {
        app->saveActiveDocument();
        EXPECT_FALSE(doc->isChanged());
        const QByteArray saved = read(path);
        for (const char *literal : {R"("serial": 12345678901234567891, "offset": -0.0, "text": "a\"b")",
                 R"("count": 1.50)", R"("pages": 100000000000000000001)", R"("weight": 2.5e-0)"})
            EXPECT_TRUE(saved.contains(literal)) << literal << " in\n" << saved.toStdString();
        auto again = std::make_shared<HostApplication>()->openDocument(path);
        EXPECT_EQ(again->data().customProperties, doc->data().customProperties);
        EXPECT_EQ(again->CustomInfo2("Long", "Length"), mark + "250");
        EXPECT_EQ(again->SummaryInfo(2), "Me");
        EXPECT_DOUBLE_EQ(again->GetUserPreferenceDoubleValue(7), 7850);
        EXPECT_EQ(again->GetActiveConfiguration()->Name(), "Long");
        EXPECT_EQ(again->data().massProperties, doc->data().massProperties);
        app = std::make_shared<HostApplication>();
        doc = app->openDocument(path);
    }
}

TEST_F(DocumentFileTest, FailedSaveLeavesTheOldFileIntact)
{
    const QString path = write("atomic.sldprt", QByteArray(bracket));
    auto doc = app->openDocument(path);
    for (int i = 0; i < 200; ++i)
        doc->AddCustomInfo3("", QStringLiteral("Property%1").arg(i), 30, QString(40, QLatin1Char('x')));

    // The write breaks off half way: the file size limit stops it, also for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(doc->save(), DocumentFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(read(path), QByteArray(bracket));
    EXPECT_TRUE(doc->isChanged());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"atomic.sldprt"}));

    doc->save();
    EXPECT_EQ(std::make_shared<HostApplication>()->openDocument(path)->GetCustomInfoCount2(""), 203);

    // A read-only document stays read-only when root saves it; others may not save it.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    doc->AddCustomInfo3("", "Late", 30, "1");
    if (geteuid() == 0)
        EXPECT_NO_THROW(doc->save());
    else
        EXPECT_THROW(doc->save(), DocumentFileError);
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(DocumentFileTest, AWriteIfUnchangedLeavesAnotherProgramsSave)
{
    const QString path = write("shared.sldprt", QByteArray(bracket));
    DocumentData mine = DocumentFile::read(path);
    mine.stamp = DocumentFile::write(mine, path, DocumentFile::Overwrite::IfUnchanged);
    EXPECT_FALSE(DocumentFile::changedSince(path, mine.stamp)) << "its own save is no other program's";

    // The same bytes written again by another program lose nothing; other bytes do.
    const QByteArray same = read(path);
    QFile::remove(path);
    EXPECT_FALSE(DocumentFile::changedSince(path, mine.stamp)) << "nothing of another program's is lost";
    QDir(dir.path()).mkdir("shared.sldprt");
    EXPECT_TRUE(DocumentFile::changedSince(path, mine.stamp)) << "something else stands there now";
    QDir(dir.path()).rmdir("shared.sldprt");
    write("shared.sldprt", same);
    EXPECT_FALSE(DocumentFile::changedSince(path, mine.stamp));
    DocumentData theirs = DocumentFile::read(path);
    theirs.customProperties[QString()].append({QStringLiteral("Theirs"), QStringLiteral("1")});
    DocumentFile::write(theirs, path);
    const QByteArray theirBytes = read(path);
    EXPECT_THROW(DocumentFile::write(mine, path, DocumentFile::Overwrite::IfUnchanged), DocumentChangedError);
    EXPECT_EQ(read(path), theirBytes);
    DocumentFile::write(mine, path);
    EXPECT_NE(read(path), theirBytes) << "written over when told to";
}

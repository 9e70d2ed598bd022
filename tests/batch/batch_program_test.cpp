// tavik-batch run as a program on a folder tree of documents with configurations: export, a dry
// run, a refused sheet, an applied sheet, undo and numbering.

#include "batch_tree.h"

#include "batch/csv.h"
#include "freecad/fcstd_archive.h"
#include "host/document_file.h"

#include <QProcess>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

class BatchProgram : public BatchTree {
protected:
    ProgramRun batch(QStringList args)
    {
        const QStringList needsAddin{"export", "import", "number"};
        if (!args.isEmpty() && needsAddin.contains(args.front()))
            args.insert(1, "--addin=" + addin);
        if (!args.isEmpty() && args.front() != "export" && !args.front().startsWith("-"))
            args.insert(1, "--settings=" + settings());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(TAVIK_BINARY_DIR "/tavik-batch"), args);
        ProgramRun run;
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = p.exitCode();
        run.out = p.readAllStandardOutput();
        run.err = QString::fromUtf8(p.readAllStandardError());
        return run;
    }

    // The export as records, header first.
    static QList<QStringList> records(const QByteArray &csv)
    {
        QList<QStringList> all;
        tavik::CsvReader reader(csv);
        while (const auto r = reader.next())
            all << *r;
        EXPECT_TRUE(reader.error.isEmpty()) << reader.error.toStdString();
        return all;
    }

    // A sheet of the export with cells replaced: {row's path end, configuration, column, value}.
    QByteArray edited(const QByteArray &csv, const QList<QStringList> &edits)
    {
        QList<QStringList> rows = records(csv);
        for (const QStringList &e : edits) {
            const qsizetype column = rows.front().indexOf(e[2]);
            bool found = false;
            for (QStringList &row : rows)
                if (row[0].endsWith(e[0]) && row[1] == e[1]) {
                    row[column] = e[3];
                    found = true;
                }
            EXPECT_TRUE(found) << e.join(' ').toStdString();
        }
        QByteArray out;
        for (const QStringList &row : rows)
            tavik::appendCsvRecord(out, row);
        return out;
    }
};

} // namespace

TEST_F(BatchProgram, ExportWritesEveryLevelInPathOrderAndAnUneditedExportImportsAsNoChange)
{
    setProperty("parts/Plate.sldprt", "", "Comment", "two lines,\n\"quoted\" ");
    setProperty("parts/Plate.sldprt", "Default", "Extra", "kept");
    const ProgramRun csv = batch({"export", "docs"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QList<QStringList> rows = records(csv.out);
    ASSERT_EQ(rows.size(), 1 + 4 + 2 + 3 + 4 + 2);
    EXPECT_EQ(rows[0].mid(0, 5), (QStringList{"path", "configuration", "Project", "PartNo", "SerialNo"}));
    QStringList order;
    for (const QStringList &r : rows.mid(1))
        order << r[0] + "|" + r[1];
    EXPECT_EQ(order.mid(3, 3),
        (QStringList{
            "docs/asm/Frame.sldasm|Bolted", "docs/parts/Bracket.sldprt|", "docs/parts/Bracket.sldprt|Default"}));
    EXPECT_EQ(order[13], "docs/parts/bought/Hinge.sldprt|");
    EXPECT_EQ(rows[12][rows[0].indexOf("Comment")], "two lines,\n\"quoted\" ");
    EXPECT_FALSE(rows[0].contains("Extra"));

    const ProgramRun json = batch({"export", "--format", "json", "--all", "docs/parts/Plate.sldprt"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray array = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(array.size(), 2);
    EXPECT_TRUE(array[1]["configuration"] == "Default" && array[1]["Extra"] == "kept")
        << "--all: also properties no item names";
    const ProgramRun all = batch({"export", "docs/parts/Plate.sldprt", "docs/parts"});
    EXPECT_EQ(records(all.out).size(), 1 + 2 + 3 + 4 + 2) << "a document named twice is exported once";

    const QList<QByteArray> before = snapshot();
    for (const ProgramRun &sheet : {csv, json}) {
        writeFile(dir.filePath("sheet"), sheet.out);
        const ProgramRun import = batch({"import", "sheet"});
        EXPECT_EQ(import.exitCode, 0) << import.err.toStdString();
        EXPECT_TRUE(import.err.contains("no change, nothing written")) << import.err.toStdString();
    }
    EXPECT_EQ(snapshot(), before);

    QProcess full;
    full.setStandardOutputFile("/dev/full");
    full.start(QStringLiteral(TAVIK_BINARY_DIR "/tavik-batch"), {"export", "--addin=" + addin, dir.filePath("docs")});
    ASSERT_TRUE(full.waitForFinished(120000));
    EXPECT_EQ(full.exitCode(), 1) << "an output that cannot be written is a failure";
    const ProgramRun missing = batch({"export", "docs", "nowhere"});
    EXPECT_TRUE(missing.exitCode == 1 && missing.err.contains("nowhere: no such file or folder"));
}

TEST_F(BatchProgram, DryRunListsEveryChangeWithRulesAndCompositesAppliedAndWritesNothing)
{
    const QByteArray sheet = edited(batch({"export", "docs/parts"}).out,
        {{"Bracket.sldprt", "Long", "Name", "console"}, {"Bracket.sldprt", "Long", "Material", "Aluminium 6082-T6"},
            {"Gusset.sldprt", "", "PartNo", "120-0060"}, {"Gusset.sldprt", "", "Comment", ""}});
    writeFile(dir.filePath("sheet.csv"), sheet);
    const QList<QByteArray> before = snapshot();
    const ProgramRun dry = batch({"import", "--dry-run", "sheet.csv"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    QStringList changes;
    for (const QStringList &r : records(dry.out).mid(1))
        changes << QFileInfo(r[0]).fileName() + "|" + r.mid(1).join('|');
    const QStringList expected{
        // Upper-cased, and the same for every configuration: copied into each level.
        "Bracket.sldprt|Long|Name|BRACKET|CONSOLE",
        "Bracket.sldprt|Long|Material|Steel S235JR|Aluminium 6082-T6",
        "Bracket.sldprt||Name|BRACKET|CONSOLE",
        "Bracket.sldprt|Default|Name|BRACKET|CONSOLE",
        "Bracket.sldprt||Material|Steel S235JR|Aluminium 6082-T6",
        "Bracket.sldprt|Default|Material|Steel S235JR|Aluminium 6082-T6",
        // Composites follow their parts, the second column of a list entry where asked.
        "Bracket.sldprt||Description|BRACKET, S235JR, ZN8|CONSOLE, AlSi1MgMn, ZN8",
        "Bracket.sldprt|Default|Description|BRACKET, S235JR, ZN8|CONSOLE, AlSi1MgMn, ZN8",
        "Bracket.sldprt|Long|Description|BRACKET, S235JR, PC7035|CONSOLE, AlSi1MgMn, PC7035",
        "Bracket.sldprt||Title|120-0042 - BRACKET|120-0042 - CONSOLE",
        "Bracket.sldprt|Default|Title|120-0042 - BRACKET|120-0042 - CONSOLE",
        "Bracket.sldprt|Long|Title|120-0043 - BRACKET|120-0043 - CONSOLE",
        "Gusset.sldprt||PartNo|120-0050|120-0060",
        "Gusset.sldprt||Comment|-|",
        "Gusset.sldprt||Title|120-0050 - GUSSET|120-0060 - GUSSET",
    };
    EXPECT_EQ(changes.join('\n').toStdString(), expected.join('\n').toStdString());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BatchProgram, AnInvalidCellRefusesTheWholeSheetAndEveryOneIsListed)
{
    const QByteArray sheet = edited(batch({"export", "docs"}).out,
        {{"Bracket.sldprt", "", "Comment", "fine"}, {"Bracket.sldprt", "Long", "PartNo", "12-ABCD"},
            {"Bracket.sldprt", "", "Finish", "Gold"}, {"Gusset.sldprt", "Thick", "Project", "P1234"},
            {"Gusset.sldprt", "", "Designer", "ABCD"}, {"Frame.sldasm", "Welded", "Name", "WELDED"},
            {"Frame.sldasm", "Bolted", "Name", "BOLTED"}, {"Frame.sldasm", "", "SerialNo", "SN-0002"},
            {"Plate.sldprt", "", "FileName", "x"}});
    QStringList nowhere = records(sheet).last();
    nowhere[0] = "docs/parts/Plate.sldprt";
    nowhere[1] = "Nowhere";
    QByteArray withNowhere = sheet;
    tavik::appendCsvRecord(withNowhere, nowhere);
    writeFile(dir.filePath("sheet.csv"), withNowhere);
    const QList<QByteArray> before = snapshot();
    const ProgramRun run = batch({"import", "sheet.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(snapshot(), before);
    QStringList listed;
    for (const QStringList &r : records(run.err.section("\nimport:", 0, 0).toUtf8()).mid(1))
        listed << QFileInfo(r[0]).fileName() + "|" + r.mid(1).join('|');
    const QStringList expected{
        "Frame.sldasm||SerialNo|SN-0002|a serial number is drawn from its counter",
        "Frame.sldasm|Bolted|Name|BOLTED|the value is the same for all configurations, and configuration \"Welded\" "
        "sets WELDED",
        "Bracket.sldprt||Finish|Gold|not an entry of the list (None, Zinc plated, Powder coated RAL 7035, Anodised, "
        "clear)",
        "Bracket.sldprt|Long|PartNo|12-ABCD|Does not match prototype: ###-????",
        "Gusset.sldprt||Designer|ABCD|longer than 3 characters",
        "Gusset.sldprt|Thick|Project|P1234|the property lives only on the document",
        "Plate.sldprt||FileName|x|a system value is read from the document",
        "Plate.sldprt|Nowhere|||the document has no such configuration",
    };
    EXPECT_EQ(listed.join('\n').toStdString(), expected.join('\n').toStdString());
    EXPECT_TRUE(run.err.contains("the sheet is refused: 8 invalid cells; nothing was written"));
}

TEST_F(BatchProgram, AnAppliedSheetIsJournalledAndUndoPutsTheOldValuesBack)
{
    const QByteArray exported = batch({"export", "docs"}).out;
    writeFile(dir.filePath("sheet.csv"),
        edited(exported,
            {{"Bracket.sldprt", "Default", "StockLength", "200"}, {"Gusset.sldprt", "", "Keywords", "gusset, new"},
                {"Frame.sldasm", "Default", "Comment", "added"}}));
    const QByteArray hingeBefore = readFile(doc("parts/bought/Hinge.sldprt"));
    const ProgramRun import = batch({"import", "sheet.csv"});
    ASSERT_EQ(import.exitCode, 0) << import.err.toStdString();
    const QString id = QString::fromUtf8(import.out).trimmed();
    EXPECT_EQ(property("parts/Bracket.sldprt", "Default", "StockLength"), "200");
    EXPECT_EQ(property("parts/Bracket.sldprt", "Long", "StockLength"), "250");
    EXPECT_EQ(property("parts/Gusset.sldprt", "", "Keywords"), "gusset, new");
    EXPECT_EQ(property("asm/Frame.sldasm", "Default", "Comment"), "added");
    EXPECT_EQ(readFile(doc("parts/bought/Hinge.sldprt")), hingeBefore) << "a document without changes is not rewritten";

    // A second import, then a hand edit of one of its documents.
    writeFile(dir.filePath("second.csv"),
        "path,configuration,Keywords\r\ndocs/parts/Gusset.sldprt,,third\r\n"
        "docs/parts/Plate.sldprt,,plate\r\n");
    const ProgramRun second = batch({"import", "second.csv"});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QStringList list = QString::fromUtf8(batch({"undo", "--list"}).out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(list.size(), 2);
    EXPECT_TRUE(list[0].startsWith(id) && list[0].contains("done  3 documents  3 changes")) << list[0].toStdString();
    setProperty("parts/Plate.sldprt", "", "Keywords", "by hand");

    const ProgramRun undoLast = batch({"undo"});
    EXPECT_EQ(undoLast.exitCode, 1);
    EXPECT_TRUE(undoLast.err.contains("Plate.sldprt: changed since the import, skipped")) << undoLast.err.toStdString();
    EXPECT_EQ(property("parts/Gusset.sldprt", "", "Keywords"), "gusset, new");
    EXPECT_EQ(property("parts/Plate.sldprt", "", "Keywords"), "by hand");
    // A document already put back is not put back again, whatever happened to it since.
    const QByteArray gusset = readFile(doc("parts/Gusset.sldprt"));
    setProperty("parts/Gusset.sldprt", "", "Keywords", "after the undo");
    EXPECT_EQ(batch({"undo", "--force"}).exitCode, 0);
    EXPECT_EQ(property("parts/Gusset.sldprt", "", "Keywords"), "after the undo");
    writeFile(doc("parts/Gusset.sldprt"), gusset);
    EXPECT_EQ(property("parts/Plate.sldprt", "", "Keywords"), std::nullopt) << "a property the import added is removed";

    const ProgramRun undoFirst = batch({"undo", id});
    EXPECT_EQ(undoFirst.exitCode, 0) << undoFirst.err.toStdString();
    EXPECT_EQ(property("parts/Bracket.sldprt", "Default", "StockLength"), "180");
    EXPECT_EQ(property("asm/Frame.sldasm", "Default", "Comment"), std::nullopt);
    const ProgramRun again = batch({"undo", id});
    EXPECT_TRUE(again.exitCode == 1 && again.err.contains("has been undone already"));
    EXPECT_EQ(batch({"undo"}).exitCode, 1);
}

TEST_F(BatchProgram, NumberingFillsOnlyEmptyFieldsInPathOrderAndNeverTwice)
{
    for (const char *name : {"parts/Bracket.sldprt", "parts/Gusset.sldprt", "asm/Frame.sldasm"})
        setProperty(name, "", "SerialNo", "");
    setProperty("parts/Gusset.sldprt", "", "SerialNo", "SN-0500");
    setProperty("parts/bought/Hinge.sldprt", "", "Project", "P4711");
    const ProgramRun missing = batch({"number", "--item", "SerialNo", "docs"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("there is no counter [Project·P4711] (--create starts it)"))
        << missing.err.toStdString();

    const ProgramRun run = batch({"number", "--create", "--item", "SerialNo", "docs"});
    EXPECT_EQ(run.exitCode, 1) << "the plate has no project: its counter cannot be named";
    EXPECT_TRUE(run.err.contains("Plate.sldprt: Key value [Project] is empty")) << run.err.toStdString();
    EXPECT_EQ(property("asm/Frame.sldasm", "", "SerialNo"), "SN-0001");
    EXPECT_EQ(property("parts/Bracket.sldprt", "", "SerialNo"), "SN-0002");
    EXPECT_EQ(property("parts/Gusset.sldprt", "", "SerialNo"), "SN-0500");
    EXPECT_EQ(property("parts/bought/Hinge.sldprt", "", "SerialNo"), "SN-0003");
    EXPECT_EQ(property("parts/Bracket.sldprt", "Default", "SerialNo"), std::nullopt)
        << "the item lives on the document only";

    const ProgramRun repeated
        = batch({"number", "--item", "SerialNo", "docs/asm", "docs/asm/Frame.sldasm", "docs/parts/Bracket.sldprt"});
    EXPECT_EQ(repeated.exitCode, 0) << repeated.err.toStdString();
    EXPECT_TRUE(repeated.err.contains("2 documents, 0 numbered, 2 had a number")) << repeated.err.toStdString();
    setProperty("parts/Plate.sldprt", "", "Project", "P4711");
    EXPECT_EQ(batch({"number", "--item", "SerialNo", "docs/parts/Plate.sldprt"}).exitCode, 0);
    EXPECT_EQ(property("parts/Plate.sldprt", "", "SerialNo"), "SN-0004");
}

TEST_F(BatchProgram, FreeCadDocumentsAreExportedImportedUndoneAndNumbered)
{
    const QString block
        = write("fc/Block.FCStd", readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd")));
    const QByteArray original = readFile(block);
    const auto value = [&](const QString &name) -> std::optional<QString> {
        for (const auto &[n, v] : tavik::DocumentFile::read(block).customProperties.value(QString()))
            if (n == name)
                return v;
        return std::nullopt;
    };

    const ProgramRun csv = batch({"export", "--all", "fc"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QList<QStringList> rows = records(csv.out);
    ASSERT_EQ(rows.size(), 2) << "the document level only: a FreeCAD document has no configurations";
    EXPECT_EQ(rows[1][0], "fc/Block.FCStd");
    EXPECT_EQ(rows[1][rows[0].indexOf("PartNo")], "FC-100");
    EXPECT_EQ(rows[1][rows[0].indexOf("Supplier")], QString::fromUtf8("Müller & Söhne"));

    writeFile(dir.filePath("sheet.csv"),
        edited(csv.out, {{"Block.FCStd", "", "PartNo", "123-ABCD"}, {"Block.FCStd", "", "Project", "P4711"}}));
    const ProgramRun import = batch({"import", "sheet.csv"});
    ASSERT_EQ(import.exitCode, 0) << import.err.toStdString();
    EXPECT_EQ(value("PartNo"), "123-ABCD");
    EXPECT_EQ(value("Project"), "P4711");
    EXPECT_EQ(tavik::FcstdArchive(readFile(block)).read("PartShape1.brp"),
        tavik::FcstdArchive(original).read("PartShape1.brp"));

    const ProgramRun undo = batch({"undo"});
    ASSERT_EQ(undo.exitCode, 0) << undo.err.toStdString();
    EXPECT_EQ(
        tavik::FcstdArchive(readFile(block)).read("Document.xml"), tavik::FcstdArchive(original).read("Document.xml"))
        << "the values put back give Document.xml as FreeCAD wrote it";

    setProperty("parts/Plate.sldprt", "", "Project", "P4711");
    const ProgramRun number = batch({"number", "--create", "--item", "SerialNo", "fc"});
    EXPECT_EQ(number.exitCode, 1) << "Block.FCStd has no project";
    EXPECT_TRUE(number.err.contains("Block.FCStd: Key value [Project] is empty")) << number.err.toStdString();
    writeFile(dir.filePath("project.csv"), "path,configuration,Project\r\nfc/Block.FCStd,,P4711\r\n");
    ASSERT_EQ(batch({"import", "project.csv"}).exitCode, 0);
    EXPECT_EQ(batch({"number", "--create", "--item", "SerialNo", "fc"}).exitCode, 0);
    EXPECT_EQ(value("SerialNo"), "SN-0001");
}

TEST_F(BatchProgram, ArgumentsHelpAndVersion)
{
    const ProgramRun help = batch({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("tavik-batch export"));
    for (const QStringList &bad : QList<QStringList>{{}, {"frobnicate"}, {"export"}, {"undo", "--list", "X"},
             {"number", "docs"}, {"import", "--all", "s.csv"}, {"export", "--format", "xml", "docs"}})
        EXPECT_EQ(batch(bad).exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_EQ(batch({"number", "--item", "Name", "docs"}).exitCode, 2);
    QDir(dir.path()).mkdir("empty");
    const ProgramRun noConfiguration = batch({"export", "--addin=empty", "docs"});
    EXPECT_EQ(noConfiguration.exitCode, 1);
    EXPECT_TRUE(noConfiguration.err.contains("Tavik: File not found\nTavik.xsd could not be found..."))
        << noConfiguration.err.toStdString();
    const ProgramRun badSheet = batch({"import", "nowhere.csv"});
    EXPECT_EQ(badSheet.exitCode, 1);
}

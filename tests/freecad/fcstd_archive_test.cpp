// The zip archive of FreeCAD documents: what is refused on open, the bounds on inflating, and a
// rewrite that changes one entry and copies the others as they were.

#include "freecad/fcstd_archive.h"
#include "freecad/fcstd_error.h"
#include "scratch_base.h"
#include "zip_maker.h"

using namespace tavik;

namespace {

QString faultOf(const QByteArray &bytes)
{
    try {
        FcstdArchive archive(bytes);
    } catch (const FcstdError &e) {
        return e.fault;
    }
    return QStringLiteral("(accepted)");
}

QByteArray sample(const char *name)
{
    return readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + QLatin1String(name));
}

} // namespace

TEST(FcstdArchive, OpensArchivesAndRefusesWhatIsNotOne)
{
    FcstdArchive block(sample("Block.FCStd"));
    EXPECT_EQ(block.entryNames(), QStringList({"Document.xml", "PartShape.brp", "PartShape1.brp", "PartShape2.brp"}));
    EXPECT_TRUE(block.read("Document.xml").startsWith("<?xml version='1.0' encoding='utf-8'?>"));
    EXPECT_THROW(block.read("Missing.brp"), FcstdError);

    const QByteArray whole = zipMaker::make({{"Document.xml", "<Document/>"}, {"a/b.brp", "shape"}});
    EXPECT_EQ(faultOf(QByteArray()), "the file is empty, not a zip archive");
    EXPECT_TRUE(faultOf(whole.left(whole.size() / 2)).startsWith("the file is not a readable zip archive ("));
    EXPECT_TRUE(faultOf("{\"type\": 1}").startsWith("the file is not a readable zip archive ("));
    // A damaged central directory entry is found by the consistency check.
    QByteArray damaged = whole;
    damaged[damaged.indexOf(QByteArray("PK\x01\x02", 4)) + 30] = char(0x7f);
    EXPECT_NE(faultOf(damaged), "(accepted)");

    for (const char *name : {"../evil.brp", "a/../../evil.brp", "/etc/evil", "C:\\evil", "C:", "a\\..\\..\\evil"})
        EXPECT_EQ(faultOf(zipMaker::make({{"Document.xml", "<Document/>"}, {name, "x"}})),
            QStringLiteral("the zip archive holds an entry named \"%1\", which points outside the archive").arg(name));
    for (const char *name : {"..hidden", "a..b/c", "dir/file..brp"})
        EXPECT_TRUE(isSafeEntryName(QString::fromLatin1(name))) << name;
}

TEST(FcstdArchive, InflatingStopsAtTheBounds)
{
    const QByteArray big(10000, 'a');
    const QByteArray bytes = zipMaker::make({{"Document.xml", big}, {"Other", big}});

    // The declared size is checked first; an entry that lies about it is stopped while inflating.
    // A bound given with a read can only lower the archive's own.
    EXPECT_EQ(FcstdArchive(bytes).read("Document.xml"), big);
    EXPECT_THROW(FcstdArchive(bytes).read("Document.xml", 9999), FcstdError);
    try {
        FcstdArchive(bytes, {1000, 1 << 20}).read("Document.xml", 10000);
        ADD_FAILURE() << "read past the bound";
    } catch (const FcstdError &e) {
        EXPECT_EQ(e.fault, "the zip archive's entry \"Document.xml\" inflates to more than 1000 bytes");
    }
    FcstdArchive liar(zipMaker::withDeclaredSize(bytes, 100), {1000, 1 << 20});
    EXPECT_THROW(liar.read("Document.xml"), FcstdError);

    // The total over every entry read from one archive.
    FcstdArchive total(bytes, {20000, 15000});
    EXPECT_EQ(total.read("Document.xml").size(), 10000);
    try {
        total.read("Other");
        ADD_FAILURE() << "read past the total";
    } catch (const FcstdError &e) {
        EXPECT_EQ(e.fault, "the zip archive inflates to more than 15000 bytes in all");
    }
    EXPECT_EQ(byteCountText(qint64(128) << 20), "128 MiB");
    EXPECT_EQ(byteCountText(qint64(2) << 30), "2 GiB");
}

TEST(FcstdArchive, ARewriteChangesOneEntryAndCopiesTheOthers)
{
    const QByteArray original = sample("Block.FCStd");
    const QByteArray xml = "<Document changed=\"1\"/>";
    const QByteArray written = FcstdArchive(original).withEntry("Document.xml", xml);

    FcstdArchive again(written);
    EXPECT_EQ(again.entryNames(), FcstdArchive(original).entryNames());
    EXPECT_EQ(again.read("Document.xml"), xml);
    const auto before = zipMaker::rawEntries(original);
    const auto after = zipMaker::rawEntries(written);
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype i = 1; i < before.size(); ++i)
        EXPECT_EQ(before[i], after[i]) << "entry " << before[i].name.toStdString() << " is copied as it was";
    EXPECT_NE(before[0].compressed, after[0].compressed);

    zip_t *archive = zipMaker::open(written);
    ASSERT_NE(archive, nullptr);
    int length = 0;
    EXPECT_STREQ(zip_get_archive_comment(archive, &length, 0), "FreeCAD Document");
    zip_discard(archive);

    EXPECT_THROW(FcstdArchive(original).withEntry("Missing.xml", xml), FcstdError);
}

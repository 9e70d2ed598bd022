// The zip archive of FreeCAD documents: what is refused on open, the bounds on inflating, and a
// rewrite that changes one entry and copies the others as they were.

#include "freecad/fcstd_archive.h"
#include "freecad/fcstd_error.h"
#include "scratch_base.h"
#include "zip_maker.h"

using namespace tavik;

namespace {

template <typename Action>
QString faultOf(Action action)
{
    try {
        action();
    } catch (const FcstdError &e) {
        return e.fault;
    }
    return QStringLiteral("(accepted)");
}

QString openFault(const QByteArray &bytes)
{
    return faultOf([&] { FcstdArchive archive(bytes); });
}

} // namespace

TEST(FcstdArchive, RefusesWhatIsNoSoundArchive)
{
    const QByteArray whole = zipMaker::make({{"Document.xml", "<Document/>"}, {"a/b.brp", "shape"}});
    EXPECT_EQ(openFault(QByteArray()), "the file is empty, not a zip archive");
    EXPECT_TRUE(openFault(whole.left(whole.size() / 2)).startsWith("the file is not a readable zip archive ("));
    // A damaged central directory entry is found by the consistency check.
    QByteArray damaged = whole;
    damaged[damaged.indexOf(QByteArray("PK\x01\x02", 4)) + 30] = char(0x7f);
    EXPECT_NE(openFault(damaged), "(accepted)");
    EXPECT_EQ(faultOf([&] { FcstdArchive(whole).read("Missing.brp"); }),
        "the zip archive holds no entry named \"Missing.brp\"");

    for (const char *name : {"../evil.brp", "a/../../evil.brp", "/etc/evil", "C:\\evil", "C:", "a\\..\\..\\evil"})
        EXPECT_EQ(openFault(zipMaker::make({{"Document.xml", "<Document/>"}, {name, "x"}})),
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
    const QString tooLarge = "the zip archive's entry \"Document.xml\" inflates to more than 1000 bytes";
    EXPECT_EQ(faultOf([&] { FcstdArchive(bytes, {1000, 1 << 20}).read("Document.xml", 10000); }), tooLarge);
    EXPECT_EQ(faultOf([&] {
        FcstdArchive(zipMaker::withDeclaredSize(bytes, 100), {1000, 1 << 20}).read("Document.xml");
    }),
        tooLarge);

    // The total over every entry read from one archive.
    FcstdArchive total(bytes, {20000, 15000});
    EXPECT_EQ(total.read("Document.xml").size(), 10000);
    EXPECT_EQ(faultOf([&] { total.read("Other"); }), "the zip archive inflates to more than 15000 bytes in all");
}

TEST(FcstdArchive, ARewriteChangesOneEntryAndCopiesTheOthers)
{
    const QByteArray original = readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd"));
    const QByteArray xml = "<Document changed=\"1\"/>";
    const QByteArray written = FcstdArchive(original).withEntry("Document.xml", xml);

    FcstdArchive again(written);
    EXPECT_EQ(again.entryNames(), QStringList({"Document.xml", "PartShape.brp", "PartShape1.brp", "PartShape2.brp"}));
    EXPECT_EQ(again.read("Document.xml"), xml);
    // Document.xml comes first; every other entry's local header (its time too) and compressed
    // bytes, up to the central directory, are copied as they were.
    const qsizetype second = original.indexOf(QByteArray("PK\x03\x04", 4), 4);
    const qsizetype central = original.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GT(central, second);
    EXPECT_TRUE(written.contains(original.mid(second, central - second)));
    EXPECT_THROW(FcstdArchive(original).withEntry("Missing.xml", xml), FcstdError);
}

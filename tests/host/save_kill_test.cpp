// A host killed while it saves a document leaves a readable file: the last complete save or the
// one before, never a part of one; and at most one temporary file, however often it is killed.

#include "host_fixture.h"

#include "host/document_file.h"
#include "host/document_file_error.h"

#include <QProcess>
#include <csignal>

using namespace tavik;

class SaveKillTest : public HostFixture {};

TEST_F(SaveKillTest, FileStaysReadableWhateverMomentTheSaverIsKilled)
{
    // Large enough that a write takes a while, so that many kills land inside one.
    DocumentData data;
    data.configurations = QStringList{QStringLiteral("Default")};
    PropertyList &props = data.customProperties[QString()];
    for (int i = 0; i < 2000; ++i)
        props.append({QStringLiteral("P%1").arg(i), QString(64, QLatin1Char('a' + i % 26))});
    props.append({QStringLiteral("Round"), QStringLiteral("0")});
    const QString path = dir.filePath(QStringLiteral("Killed.sldprt"));
    DocumentFile::write(data, path);

    const int rounds = 30;
    for (int r = 0; r < rounds; ++r) {
        QProcess saver;
        saver.start(QStringLiteral(SAVE_HELPER), {path});
        ASSERT_TRUE(saver.waitForStarted()) << saver.errorString().toStdString();
        // Kill after a varying number of completed saves; the saver carries on meanwhile, so
        // the kill falls at an arbitrary point of a later save.
        const long wanted = 1 + (r * 7) % 11;
        long lastSaved = 0;
        while (lastSaved < wanted) {
            if (!saver.canReadLine() && !saver.waitForReadyRead(30000))
                break;
            while (saver.canReadLine()) {
                const QByteArray line = saver.readLine().trimmed();
                ASSERT_TRUE(line.startsWith("saved ")) << line.toStdString();
                lastSaved = line.mid(6).toLong();
            }
        }
        ASSERT_GE(lastSaved, wanted) << "the saver stopped: " << saver.readAllStandardError().toStdString();
        ::kill(pid_t(saver.processId()), SIGKILL);
        saver.waitForFinished();

        DocumentData read;
        ASSERT_NO_THROW(read = DocumentFile::read(path)) << "round " << r;
        const PropertyList &level = read.customProperties[QString()];
        ASSERT_EQ(level.size(), 2001) << "round " << r;
        // Rounds count from 1 in every run of the saver; the file holds one it completed, or
        // the one it was writing when it was killed.
        EXPECT_GE(level.last().second.toLong(), lastSaved) << "round " << r;
        EXPECT_EQ(level.first(), std::make_pair(QStringLiteral("P0"), QString(64, QLatin1Char('a'))));
        EXPECT_LE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "round " << r;
    }
}

#pragma once
// Scratch files of the tests: the folder a test program keeps them in (TAVIK_TEST_TMP as CTest
// sets it, created when missing, else the system's temporary folder), a fixture with a folder of
// its own there that a failing test leaves behind, and reading and writing whole files.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline QString scratchBase()
{
    const QString tmp = qEnvironmentVariable("TAVIK_TEST_TMP");
    const QString path = tmp.isEmpty() ? QDir::tempPath() : tmp;
    QDir().mkpath(path);
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes bytes to path, replacing what was there and making its folder; a failure fails the test.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
        << path.toStdString();
    return path;
}

class ScratchTest : public ::testing::Test {
protected:
    // A new folder in scratchBase() whose name begins with prefix.
    explicit ScratchTest(const QString &prefix)
        : dir(scratchBase() + '/' + prefix + "-XXXXXX")
    {
    }

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override
    {
        if (HasFailure())
            dir.setAutoRemove(false);
    }

    // Writes a file into the test's folder and gives its path.
    QString write(const QString &fileName, const QByteArray &bytes) { return writeFile(dir.filePath(fileName), bytes); }

    QTemporaryDir dir;
};

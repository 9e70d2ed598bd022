#pragma once
// A scratch folder for a configuration under test, in $TAVIK_TEST_TMP, kept when the test fails.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class CheckFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override
    {
        if (HasFailure())
            dir.setAutoRemove(false);
    }

    static QString base()
    {
        const QByteArray tmp = qgetenv("TAVIK_TEST_TMP");
        const QString path = tmp.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(tmp);
        QDir().mkpath(path);
        return path;
    }

    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    // The shipped schema, with the given configuration beside it.
    void useConfiguration(const QByteArray &xml)
    {
        writeFile(QStringLiteral("Tavik.xsd"), readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd")));
        writeFile(QStringLiteral("Tavik.xml"), xml);
    }

    QTemporaryDir dir{base() + QStringLiteral("/check-XXXXXX")};
};

#pragma once
// A scratch add-in folder for loader tests, in $TAVIK_TEST_TMP, kept when the test fails.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class LoaderFolder : public ::testing::Test {
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

    static QByteArray fixture(const char *name)
    {
        QFile f(QStringLiteral(TAVIK_SOURCE_DIR "/tests/config/fixtures/") + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    // The test schema, and a configuration whose document element holds body.
    void configure(const QByteArray &body)
    {
        write(QStringLiteral("Tavik.xsd"), fixture("loader.xsd"));
        write(QStringLiteral("Tavik.xml"),
              "<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:test\">\n" + body + "\n</Tavik>\n");
    }

    QTemporaryDir dir{base() + QStringLiteral("/loader-XXXXXX")};
};

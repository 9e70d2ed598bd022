#pragma once
// A bundled host over a scratch folder, for the host tests.

#include "host/host_application.h"
#include "host/host_calls.h"
#include "host/host_document.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void TearDown() override
    {
        // A failing test leaves its folder for inspection.
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

    QString write(const QString &fileName, const QByteArray &bytes)
    {
        const QString path = dir.filePath(fileName);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QString write(const QString &fileName, const QJsonObject &content)
    {
        return write(fileName, QJsonDocument(content).toJson());
    }

    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QJsonObject readJson(const QString &path) { return QJsonDocument::fromJson(read(path)).object(); }

    std::shared_ptr<tavik::HostDocument> open(const QString &fileName, const QJsonObject &content)
    {
        return app->openDocument(write(fileName, content));
    }

    QTemporaryDir dir{base() + QStringLiteral("/host-XXXXXX")};
    std::shared_ptr<tavik::HostApplication> app = std::make_shared<tavik::HostApplication>();
};

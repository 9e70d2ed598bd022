#pragma once
// A bundled host whose documents are files in a scratch folder (kept when a test fails).

#include "config/model.h"
#include "host/host_application.h"
#include "host/host_calls.h"
#include "host/host_document.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class DocumentFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.swApp = app;
    }
    void TearDown() override { dir.setAutoRemove(!HasFailure()); }

    static QString scratch()
    {
        const QString base = qEnvironmentVariable("TAVIK_TEST_TMP", QDir::tempPath());
        QDir().mkpath(base);
        return base + QStringLiteral("/docsvc-XXXXXX");
    }
    QString write(const QString &fileName, const QByteArray &bytes)
    {
        QFile f(dir.filePath(fileName));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    }
    // Writes the document file and opens it as the active document.
    std::shared_ptr<tavik::HostDocument> open(const QString &fileName, const QJsonObject &content)
    {
        return app->openDocument(write(fileName, QJsonDocument(content).toJson()));
    }
    tavik::HostCalls &calls() { return *app->calls(); }

    QTemporaryDir dir{scratch()};
    std::shared_ptr<tavik::HostApplication> app = std::make_shared<tavik::HostApplication>();
    tavik::SharedState state;
};

#pragma once
// A bundled host over a scratch folder, for the host tests.

#include "host/host_application.h"
#include "host/host_calls.h"
#include "host/host_document.h"
#include "scratch_base.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class HostFixture : public ScratchTest {
protected:
    explicit HostFixture(const QString &prefix = QStringLiteral("host"))
        : ScratchTest(prefix)
    {
    }

    using ScratchTest::write;
    QString write(const QString &fileName, const QJsonObject &content)
    {
        return write(fileName, QJsonDocument(content).toJson());
    }

    static QByteArray read(const QString &path) { return readFile(path); }

    static QJsonObject readJson(const QString &path) { return QJsonDocument::fromJson(read(path)).object(); }

    // Writes the document file and opens it as the active document.
    std::shared_ptr<tavik::HostDocument> open(const QString &fileName, const QJsonObject &content)
    {
        return app->openDocument(write(fileName, content));
    }

    std::shared_ptr<tavik::HostApplication> app = std::make_shared<tavik::HostApplication>();
};

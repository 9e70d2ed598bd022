#include "host/configuration_check.h"

#include "config/loader.h"
#include "config/model.h"
#include "config/model_json.h"
#include "config/product.h"
#include "config/resolution.h"
#include "docsvc/system_read.h"
#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"

#include <QJsonDocument>

namespace tavik {

namespace {

// The start of a run of the editor's command, without the editor: the same default texts stand
// for any failure that does not leave its own, and each pass runs only after the one before it
// succeeded.
bool loadAndResolve(SharedState &state)
{
    state.runOk = false;
    state.errorMessage = QStringLiteral("Unknown error\r\nExiting");
    state.errorTitle = product::title() + QStringLiteral(" -> Fatal error");
    try {
        const SystemValueReader reader = [&state](const QString &name) { return readSystemValue(state, name); };
        return loadConfiguration(state, reader) && doComposites(state) && doCPLists(state);
    } catch (const std::exception &) {
        // Resolution leaves some of its errors to the command driver, whose default texts are
        // still pending.
        state.runOk = false;
        return false;
    }
}

} // namespace

ConfigurationCheckResult ConfigurationCheck::run() const
{
    ConfigurationCheckResult result;
    auto app = std::make_shared<HostApplication>();
    try {
        if (documentPath.isEmpty())
            app->newDocument(sw::swDocPART);
        else
            app->openDocument(documentPath);
    } catch (const DocumentFileError &e) {
        result.exitCode = 2;
        result.errors = e.message + QLatin1Char('\n');
        return result;
    }

    SharedState state;
    state.swApp = app;
    state.addinFolder = folder;
    if (!loadAndResolve(state)) {
        result.exitCode = 1;
        result.output = product::title() + QStringLiteral(": ") + state.errorTitle + QLatin1Char('\n')
            + state.errorMessage + QLatin1Char('\n');
        return result;
    }

    result.exitCode = 0;
    result.output = QStringLiteral("OK\n");
    if (json)
        result.output += QString::fromUtf8(QJsonDocument(modelToJson(state)).toJson(QJsonDocument::Indented));
    return result;
}

} // namespace tavik

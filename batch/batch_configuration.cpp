#include "batch/batch_configuration.h"

#include "config/configuration_folder.h"
#include "config/loader.h"
#include "config/product.h"
#include "config/resolution.h"

#include <QCoreApplication>
#include <QDir>

namespace tavik {

QString configurationFolder(const QString &given)
{
    if (!given.isEmpty())
        return given;
    // Without --addin the batch reads the configuration the editor would read: the team's folder
    // when one is set up, else the add-in's own.
    return findConfigurationFolder(programAddinFolder()).path;
}

std::optional<BatchConfiguration> loadBatchConfiguration(const QString &folder, QString &error)
{
    BatchConfiguration config;
    config.state = std::make_unique<SharedState>();
    SharedState &state = *config.state;
    state.addinFolder = folder;
    state.errorMessage = QStringLiteral("Unknown error\r\nExiting");
    state.errorTitle = product::title() + QStringLiteral(" -> Fatal error");
    // System values belong to one open document; the batch reads the properties the documents
    // hold instead, so the loader is given none.
    const SystemValueReader noSystemValues = [](const QString &) { return QString(); };
    bool loaded = false;
    try {
        loaded = loadConfiguration(state, noSystemValues) && doComposites(state) && doCPLists(state);
    } catch (const std::exception &) {
        loaded = false;
    }
    if (!loaded) {
        error = product::title() + QStringLiteral(": ") + state.errorTitle + QLatin1Char('\n')
            + QString(state.errorMessage).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return std::nullopt;
    }
    for (const Frame &frame : state.frames) {
        QHash<QString, const CPItem *> &inFrame = config.frameRules.emplace_back();
        for (const Group &group : frame.groups)
            for (const CPItem &item : group.items) {
                if (!inFrame.contains(item.CPTag))
                    inFrame.insert(item.CPTag, &item);
                if (!config.rules.contains(item.CPTag)) {
                    config.rules.insert(item.CPTag, &item);
                    config.tags << item.CPTag;
                }
            }
    }
    return config;
}

} // namespace tavik

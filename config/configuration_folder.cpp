#include "config/configuration_folder.h"

#include "tavik_build.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tavik {

namespace {

QString environment(const char *name)
{
    return qEnvironmentVariable(name);
}

bool holdsConfiguration(const QString &folder)
{
    const QDir dir(folder);
    return QFileInfo(dir.filePath(QStringLiteral("Tavik.xml"))).isFile()
        || QFileInfo(dir.filePath(QStringLiteral("Tavik.xsd"))).isFile();
}

// The XDG configuration folders in their order of precedence; relative entries are ignored, as
// the XDG rules say.
QStringList xdgConfigFolders()
{
    QStringList folders;
    QString home = environment("XDG_CONFIG_HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    folders << home;
    QString dirs = environment("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (!QDir::isRelativePath(dir))
            folders << dir;
    return folders;
}

} // namespace

ConfigurationFolder findConfigurationFolder(const QString &addinFolder)
{
    const QString named = environment("TAVIK_CONFIG_DIR");
    if (!named.isEmpty())
        return {QDir::cleanPath(named), QStringLiteral("TAVIK_CONFIG_DIR")};
    for (const QString &base : xdgConfigFolders()) {
        const QString folder = QDir::cleanPath(base + QStringLiteral("/tavik"));
        if (holdsConfiguration(folder))
            return {folder, QStringLiteral("XDG configuration folder")};
    }
    return {addinFolder, QStringLiteral("add-in folder")};
}

QString programAddinFolder()
{
    const QString beside = QCoreApplication::applicationDirPath();
    const QString built = beside + QStringLiteral("/addin");
    if (QDir(built).exists())
        return built;
    return QDir::cleanPath(beside + QStringLiteral("/" TAVIK_ADDIN_RELDIR));
}

} // namespace tavik

#include "addin/addin_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tavik {

QString AddinRegistry::defaultFile()
{
    const QString overridden = qEnvironmentVariable("TAVIK_HOST_ADDINS");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/tavik-host/addins.ini");
}

AddinRegistry::AddinRegistry(QString file)
    : m_file(std::move(file))
{
}

bool AddinRegistry::add(const AddinEntry &entry)
{
    if (entry.classId.isEmpty() || !QDir().mkpath(QFileInfo(m_file).absolutePath()))
        return false;
    QSettings ini(m_file, QSettings::IniFormat);
    ini.beginGroup(entry.classId);
    ini.setValue(QStringLiteral("Path"), entry.path);
    ini.setValue(QStringLiteral("Title"), entry.title);
    ini.setValue(QStringLiteral("Description"), entry.description);
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

bool AddinRegistry::remove(const QString &classId)
{
    if (!QFileInfo::exists(m_file))
        return true;
    QSettings ini(m_file, QSettings::IniFormat);
    ini.remove(classId);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

std::vector<AddinEntry> AddinRegistry::entries() const
{
    std::vector<AddinEntry> list;
    if (!QFileInfo::exists(m_file))
        return list;
    QSettings ini(m_file, QSettings::IniFormat);
    for (const QString &group : ini.childGroups()) {
        ini.beginGroup(group);
        list.push_back({group, ini.value(QStringLiteral("Path")).toString(),
            ini.value(QStringLiteral("Title")).toString(), ini.value(QStringLiteral("Description")).toString()});
        ini.endGroup();
    }
    return list;
}

} // namespace tavik

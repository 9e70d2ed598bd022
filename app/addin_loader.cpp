#include "app/addin_loader.h"

#include "addin/addin_registry.h"
#include "config/configuration_folder.h"
#include "hostapi/class_factory.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tavik {

AddinLoader::~AddinLoader()
{
    release();
}

QString AddinLoader::defaultPluginPath()
{
    const QString beside = programAddinFolder() + QStringLiteral("/libtavik.so");
    if (QFileInfo::exists(beside))
        return beside;
    for (const AddinEntry &entry : AddinRegistry().entries())
        if (QFileInfo::exists(entry.path))
            return entry.path;
    return {};
}

bool AddinLoader::load(const QString &path, Prompts &prompts, QString *error)
{
    auto failWith = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (m_addin)
        return failWith(QStringLiteral("an add-in is already loaded"));
    if (path.isEmpty())
        return failWith(QStringLiteral("no add-in plugin was found; name one with --addin PATH"));
    if (!QFileInfo::exists(path))
        return failWith(QStringLiteral("the add-in plugin %1 does not exist").arg(path));

    m_library.setFileName(QFileInfo(path).absoluteFilePath());
    if (!m_library.load())
        return failWith(
            QStringLiteral("the add-in plugin %1 could not be loaded: %2").arg(path, m_library.errorString()));

    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(m_library.resolve("DllGetClassObject"));
    if (!getClassObject)
        return failWith(QStringLiteral("%1 is not an add-in plugin: it has no DllGetClassObject").arg(path));

    ClassFactory *factory = nullptr;
    const long result = getClassObject(TavikClassId, &factory);
    if (result != hr::Ok || !factory)
        return failWith(QStringLiteral("%1 does not provide the Tavik add-in class (result 0x%2)")
                            .arg(path)
                            .arg(qulonglong(quint32(result)), 8, 16, QLatin1Char('0')));

    m_addin = factory->CreateInstance(prompts);
    if (!m_addin)
        return failWith(QStringLiteral("the add-in in %1 could not be created").arg(path));
    return true;
}

void AddinLoader::release()
{
    m_addin.reset();
}

} // namespace tavik

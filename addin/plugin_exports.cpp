// The four exports of the add-in plugin. The host finds them by name; nothing thrown inside may
// leave them, so each one answers a result code whatever happens.

#include "addin/addin_registry.h"
#include "addin/sw_add_in.h"
#include "config/product.h"
#include "hostapi/class_factory.h"

#include <QFileInfo>
#include <atomic>
#include <cstring>
#include <dlfcn.h>

#define TAVIK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<int> g_locks{0};

// The plugin's own file, from the address of one of its functions.
QString pluginPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&pluginPath), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
    return {};
}

class TavikClassFactory : public tavik::ClassFactory {
public:
    std::unique_ptr<sw::SwAddin> CreateInstance(tavik::Prompts &prompts, const QString &addinFolder) override
    {
        try {
            const QString folder = addinFolder.isEmpty() ? QFileInfo(pluginPath()).absolutePath() : addinFolder;
            return std::make_unique<tavik::swAddIn>(prompts, folder);
        } catch (...) {
            return nullptr;
        }
    }

    void LockServer(bool lock) override
    {
        if (lock)
            ++g_locks;
        else if (g_locks > 0)
            --g_locks;
    }
};

TavikClassFactory g_factory;

} // namespace

TAVIK_EXPORT long DllRegisterServer()
{
    try {
        const QString path = pluginPath();
        if (path.isEmpty())
            return tavik::hr::SelfRegClass;
        tavik::AddinRegistry registry;
        const bool ok = registry.add({QString::fromLatin1(tavik::TavikClassId), path, tavik::product::title(),
            QStringLiteral("SolidWorks Custom Properties Editor")});
        return ok ? tavik::hr::Ok : tavik::hr::SelfRegClass;
    } catch (...) {
        return tavik::hr::SelfRegClass;
    }
}

TAVIK_EXPORT long DllUnregisterServer()
{
    try {
        tavik::AddinRegistry registry;
        return registry.remove(QString::fromLatin1(tavik::TavikClassId)) ? tavik::hr::Ok : tavik::hr::SelfRegClass;
    } catch (...) {
        return tavik::hr::SelfRegClass;
    }
}

TAVIK_EXPORT long DllGetClassObject(const char *classId, tavik::ClassFactory **factory)
{
    try {
        if (!factory)
            return tavik::hr::InvalidArg;
        *factory = nullptr;
        if (!classId || std::strcmp(classId, tavik::TavikClassId) != 0)
            return tavik::hr::ClassNotAvailable;
        *factory = &g_factory;
        return tavik::hr::Ok;
    } catch (...) {
        return tavik::hr::Unexpected;
    }
}

TAVIK_EXPORT long DllCanUnloadNow()
{
    return (tavik::swAddIn::liveCount() == 0 && g_locks == 0) ? tavik::hr::Ok : tavik::hr::False;
}

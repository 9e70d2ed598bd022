// The built plugin through its four exports, as a host loads it.

#include "addin/addin_registry.h"
#include "hostapi/class_factory.h"
#include "platform/scripted_prompts.h"
#include "scratch_base.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavik;

TEST(PluginExports, RegisterHandOutTheAddinAndTellWhetherItMayUnload)
{
    QTemporaryDir dir(scratchBase() + "/plugin-XXXXXX");
    ASSERT_TRUE(dir.isValid());
    const QString list = dir.filePath(QStringLiteral("host/addins.ini"));
    qputenv("TAVIK_HOST_ADDINS", list.toLocal8Bit());

    const QString pluginPath = QStringLiteral(TAVIK_BINARY_DIR "/addin/libtavik.so");
    QLibrary plugin(pluginPath);
    ASSERT_TRUE(plugin.load()) << plugin.errorString().toStdString();
    auto reg = reinterpret_cast<DllRegisterServerFn>(plugin.resolve("DllRegisterServer"));
    auto unreg = reinterpret_cast<DllUnregisterServerFn>(plugin.resolve("DllUnregisterServer"));
    auto getClass = reinterpret_cast<DllGetClassObjectFn>(plugin.resolve("DllGetClassObject"));
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(plugin.resolve("DllCanUnloadNow"));
    ASSERT_TRUE(reg && unreg && getClass && canUnload);
    // Nothing else of the static layers inside is visible to the host.
    EXPECT_EQ(plugin.resolve("_ZN5tavik7swAddIn8DispFormEv"), nullptr);

    // Registering twice keeps one entry; unregistering removes it and may be repeated.
    EXPECT_EQ(reg(), hr::Ok);
    EXPECT_EQ(reg(), hr::Ok);
    auto entries = AddinRegistry(list).entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].classId, QString::fromLatin1(TavikClassId));
    EXPECT_EQ(QFileInfo(entries[0].path).canonicalFilePath(), QFileInfo(pluginPath).canonicalFilePath());
    EXPECT_EQ(unreg(), hr::Ok);
    EXPECT_TRUE(AddinRegistry(list).entries().empty());
    EXPECT_EQ(unreg(), hr::Ok);

    // A list that cannot be written is a failure, not a silent success.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile(blocker).open(QIODevice::WriteOnly);
    qputenv("TAVIK_HOST_ADDINS", (blocker + QStringLiteral("/addins.ini")).toLocal8Bit());
    EXPECT_EQ(reg(), hr::SelfRegClass);
    qputenv("TAVIK_HOST_ADDINS", list.toLocal8Bit());

    ClassFactory *factory = nullptr;
    EXPECT_EQ(getClass("{00000000-0000-0000-0000-000000000000}", &factory), hr::ClassNotAvailable);
    EXPECT_EQ(getClass(TavikClassId, nullptr), hr::InvalidArg);
    EXPECT_EQ(getClass(nullptr, &factory), hr::ClassNotAvailable);
    ASSERT_EQ(getClass(TavikClassId, &factory), hr::Ok);
    ASSERT_NE(factory, nullptr);

    EXPECT_EQ(canUnload(), hr::Ok);
    ScriptedPrompts prompts;
    {
        auto addin = factory->CreateInstance(prompts);
        ASSERT_NE(addin, nullptr);
        auto second = factory->CreateInstance(prompts, dir.path());
        EXPECT_EQ(canUnload(), hr::False);
        // Connecting to no host fails with the connection's own report, and nothing escapes.
        EXPECT_FALSE(addin->SwAddIn_ConnectToSW(nullptr, 1));
        ASSERT_EQ(prompts.boxes().size(), 1u);
        EXPECT_TRUE(prompts.boxes()[0].text.endsWith(QStringLiteral(") in <ConnectToSW>     ")));
    }
    EXPECT_EQ(canUnload(), hr::Ok);
    factory->LockServer(true);
    EXPECT_EQ(canUnload(), hr::False);
    factory->LockServer(false);
    EXPECT_EQ(canUnload(), hr::Ok);
}

#pragma once
// Loads the add-in plugin into the host program: resolves its exports, asks its class object for
// the add-in and keeps both for as long as the host runs.

#include "hostapi/addin_interface.h"

#include <QLibrary>
#include <QString>
#include <memory>

namespace tavik {

class Prompts;

class AddinLoader {
public:
    AddinLoader() = default;
    ~AddinLoader();
    AddinLoader(const AddinLoader &) = delete;
    AddinLoader &operator=(const AddinLoader &) = delete;

    // The plugin that the build puts beside tavik-host, else the first registered add-in whose
    // file exists; empty when there is none.
    static QString defaultPluginPath();

    // Loads the plugin at path and makes the add-in. False with the reason in error.
    bool load(const QString &path, Prompts &prompts, QString *error);

    sw::SwAddin *addin() const { return m_addin.get(); }
    QString path() const { return m_library.fileName(); }

    // Destroys the add-in. The library stays mapped: Qt keeps references into a library that
    // created widgets until the program ends.
    void release();

private:
    QLibrary m_library;
    std::unique_ptr<sw::SwAddin> m_addin;
};

} // namespace tavik

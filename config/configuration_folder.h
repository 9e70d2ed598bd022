#pragma once
// Where a run of the editor finds Tavik.xml and Tavik.xsd: a folder an administrator names, the
// team's configuration under the XDG configuration folders, or the add-in's own folder.

#include <QString>

namespace tavik {

struct ConfigurationFolder {
    QString path;
    QString source; // why this folder: "TAVIK_CONFIG_DIR", "XDG configuration folder", "add-in folder"
};

// The first of: $TAVIK_CONFIG_DIR when set and not empty (used even when it holds nothing, so
// that a wrong setting is reported instead of passed over); tavik/ under $XDG_CONFIG_HOME (default
// ~/.config), then under each folder of $XDG_CONFIG_DIRS (default /etc/xdg), the first that holds
// Tavik.xml or Tavik.xsd; else addinFolder. Both files are read from the one folder chosen.
ConfigurationFolder findConfigurationFolder(const QString &addinFolder);

// The add-in's folder beside the running program: addin/ in the build tree, else the folder the
// package installs it to.
QString programAddinFolder();

} // namespace tavik

#pragma once
// The host's list of installed add-ins: an ini file with one group per add-in class, holding the
// plugin's path and its title. Registering the plugin writes its entry; the host program reads
// the list to find add-ins it was not told about.

#include <QString>
#include <vector>

namespace tavik {

struct AddinEntry {
    QString classId;
    QString path;
    QString title;
    QString description;
};

class AddinRegistry {
public:
    // $TAVIK_HOST_ADDINS when set, else tavik-host/addins.ini in the user's configuration folder.
    static QString defaultFile();

    explicit AddinRegistry(QString file = defaultFile());

    // Both report false when the file cannot be written.
    bool add(const AddinEntry &entry);
    bool remove(const QString &classId);
    std::vector<AddinEntry> entries() const;

    const QString &file() const { return m_file; }

private:
    QString m_file;
};

} // namespace tavik

#pragma once
// The scratchpad: custom property values kept in the per-user settings store between editing
// runs, one entry per property name (application "Tavik", section "Scratch"), so that values saved
// from one document can be loaded into the next.

#include <QString>
#include <optional>

namespace tavik {

class SettingsStore;

class Scratchpad {
public:
    static QString application(); // "Tavik"
    static QString section(); // "Scratch"

    explicit Scratchpad(SettingsStore &store)
        : m_store(store)
    {
    }

    // A later save of the same name (without regard to case) replaces the earlier one. Throws
    // SettingsError when the store cannot be written. The saves of one frame go in one
    // SettingsStore::Transaction, so that the scratchpad never holds two documents' values mixed.
    void save(const QString &CPTag, const QString &text);
    // The stored text; nothing when the scratchpad holds no entry of that name.
    std::optional<QString> value(const QString &CPTag) const;
    // Removes every entry. An empty scratchpad is not an error.
    void clear();

private:
    SettingsStore &m_store;
};

} // namespace tavik

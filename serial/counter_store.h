#pragma once
// The counters that serial-number fields draw their numbers from, and getNextNum, which draws one
// for a field. A counter holds the next index to hand out; serial_format maps an index into the
// item's range. The store sits behind CounterStore so that a remote numbering service can take
// the place of the local settings store.

#include "platform/runtime_error.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tavik {

struct CPItem;
class Prompts;
class SettingsStore;

// A counter store that cannot be used: a numbering server that cannot be reached, refuses the
// login or loses the connection. The description names the store and the reason.
class CounterStoreError : public RuntimeError {
public:
    static constexpr int Number = 462; // the remote server machine does not exist or is unavailable
    explicit CounterStoreError(const QString &why)
        : RuntimeError(Number, why)
    {
    }
};

class CounterStore {
public:
    enum class Outcome {
        Drawn, // index holds the number handed out; the counter has moved on by one
        Missing, // no such counter, nothing written
        Unusable, // the stored value is no index that can be advanced; left as it is
    };
    struct Draw {
        Outcome outcome = Outcome::Missing;
        int32_t index = -1;
    };

    virtual ~CounterStore() = default;
    // Hands out the counter's next index and advances it, as one step that no other editor can
    // interleave. With create, a missing counter comes into being and hands out index 0; a
    // counter that another editor created in the meantime is drawn from instead.
    virtual Draw next(const QString &name, bool create) = 0;
    // The stored text of the counter, nothing when it does not exist.
    virtual std::optional<QString> entry(const QString &name) = 0;
    // The counter hands out nextIndex next. Indices outside 0 .. 2 147 483 647 throw RuntimeError.
    virtual void set(const QString &name, int64_t nextIndex) = 0;
    // Index 0 counts as handed out: the counter holds 1.
    virtual void reset(const QString &name) = 0;
};

// Counters in the per-user settings store, section "nextSerialNumbers" of application "Tavik",
// one decimal text per counter name; names compare without regard to case.
class LocalCounterStore : public CounterStore {
public:
    explicit LocalCounterStore(SettingsStore &settings)
        : m_settings(settings)
    {
    }

    Draw next(const QString &name, bool create) override;
    std::optional<QString> entry(const QString &name) override;
    void set(const QString &name, int64_t nextIndex) override;
    void reset(const QString &name) override;

private:
    SettingsStore &m_settings;
};

// The key reference of a serial item: the CPTag of the item whose value selects its counter.
QString keyReference(const CPItem &serialItem);

// The counter name for a serial field: "Tavik" when its frame holds no key item (keyItem null),
// else the key item's CPTag, "·" and keyValue, the key field's text in the field's slot. Nothing
// when keyValue is empty.
std::optional<QString> counterName(const CPItem *keyItem, const QString &keyValue);

// counterName, showing the warning "Key value [...] is empty." when it gives nothing.
std::optional<QString> resolveCounterName(const CPItem *keyItem, const QString &keyValue, Prompts &prompts);

struct NextNumber {
    int32_t number = -1; // the serial number drawn, -1 for none
    QString serialKey; // the counter it was drawn from; empty when the name was not resolved
};

// Draws the next serial number for serialItem. keyItem is the key item found in the field's frame
// (null when there is none) and keyValue its field's text in the field's slot (nothing when the key
// item has no field there, which fails without a message). A counter that does not exist is
// created only when the user agrees. A settings store or numbering server that cannot be used is
// reported in a box; every other failure yields -1 silently. incVal below 1 is raised to 1 in serialItem.
NextNumber getNextNum(CPItem &serialItem, const CPItem *keyItem, const std::optional<QString> &keyValue,
    CounterStore &store, Prompts &prompts);

} // namespace tavik

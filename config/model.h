#pragma once
// The property configuration model: settings, frames, groups, items, lists and composites. The
// loader builds it, the resolution binds its references, and the editor reads it and keeps its
// control references in it.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavik {

constexpr int16_t NoList = 9999;

// Frame, group and item index; a list reference has a list index in the third place.
struct CPRef {
    int16_t f_idx = 0;
    int16_t g_idx = 0;
    int16_t i_idx = 0;

    static CPRef none() { return {NoList, NoList, NoList}; }
    bool isNone() const { return f_idx == NoList && g_idx == NoList && i_idx == NoList; }
    bool operator==(const CPRef &) const = default;
};

struct CPOption {
    std::array<QString, 3> values;
    int16_t useValue = 0; // "y" 1, "z" 2, else 0
};

// Location of a property.
constexpr int16_t OnlyDocument = 0;
constexpr int16_t OnlyConfigurations = 1;
constexpr int16_t DocumentAndConfigurations = 2;

struct CPItem {
    int16_t f_idx = 0, g_idx = 0, i_idx = 0;
    bool inList = false;
    CPRef listRef = CPRef::none();
    int16_t listIndex = NoList;
    bool hasPrototype = false;
    bool saveDefaults = false;
    std::vector<int16_t> compositeRefs;
    int16_t compositeRefsUpper = -1;
    bool isListTarget = false;
    CPRef sourceList = CPRef::none();
    QString CPTag;
    QString type;
    QString displayName;
    QString units;
    bool sameForAllConfigs = false;
    QString prototype;
    int16_t length = 0;
    QString minVal;
    QString maxVal;
    int32_t incVal = 0;
    bool allCaps = false;
    int16_t location = 0;
    bool visible = false;
    bool editable = false;
    bool systemWrite = false;
    QString systemWriteValue;
    QString defaultValue;
    std::vector<CPOption> options;

    // Editor-owned: one place per configuration slot, empty where the item is not shown.
    std::vector<QObject *> labelControls;
    std::vector<QObject *> valueControls;
    std::vector<QObject *> unitsControls;

    CPRef ref() const { return {f_idx, g_idx, i_idx}; }
    // A serial-number field: a system read of "nextSerialNumber".
    bool isSerialNumber() const;
};

struct CPList {
    CPRef position;
    bool visible = false;
    bool editable = false;
    bool linked = false;
    QString linkTo;
    CPRef target;
    int16_t defaultIndex = 0;
    std::vector<CPRef> members;
};

struct CompositePart {
    CPRef ref;
    int16_t useValue = 0; // -1: the text is a literal
    QString text;
};

struct Composite {
    CPRef owner;
    std::vector<CompositePart> parts;
};

struct Group {
    QString name;
    std::vector<CPItem> items;
    std::vector<CPList> lists;
    int tab = -1; // editor-owned: index of the group's tab in its tab strip
    std::vector<QObject *> pages; // editor-owned: one page per slot
};

struct Frame {
    QString name;
    std::vector<Group> groups;
    std::vector<Composite> composites;
    QObject *frameContainer = nullptr; // editor-owned
    QObject *tabStrip = nullptr; // editor-owned
    int16_t currentTab = 0;
};

// What the configuration file declares for a run: its settings and the frame table, with the
// folder it was read from.
struct ConfigurationModel {
    bool useConfigs = false;
    int16_t defaultFrame = 0;
    bool remoteOperation = false;
    QString serverName;
    int32_t serverPort = 0;
    QString operationLabel;

    std::vector<Frame> frames;

    // The folder that holds Tavik.xml and Tavik.xsd for this run (see findConfigurationFolder).
    QString addinFolder;

    // The end of a run: exactly one empty frame.
    void emptyFrames();
};

// Item at a reference; throws RuntimeError 9 when the reference points nowhere.
CPItem &itemAt(ConfigurationModel &model, const CPRef &ref);
const CPItem &itemAt(const ConfigurationModel &model, const CPRef &ref);

// The list a list reference points at, or nullptr when it points nowhere.
const CPList *listAt(const std::vector<Frame> &frames, const CPRef &ref);

// First item of frame f whose CPTag equals tag exactly (groups in order, items in order).
// Returns nullptr when there is none; throws RuntimeError 9 for a frame index out of range.
CPItem *findItemByTag(ConfigurationModel &model, int16_t f, const QString &tag);

} // namespace tavik

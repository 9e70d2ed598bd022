#include "config/configuration_walker.h"

#include "config/prototype_match.h"
#include "config/value_conversion.h"
#include "platform/xml_attribute_defaults.h"
#include "platform/xml_document.h"
#include "platform/xml_view.h"

#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace tavik {

namespace {

const QString SerialNumberName = QStringLiteral("nextSerialNumber");

[[noreturn]] void fail(const XmlView &node, const QString &cause)
{
    throw WalkFailure{node.line(), cause};
}

// An attribute as the walk reads it: written in the file, or the default that the schema gives.
class Attribute {
public:
    Attribute() = default;
    Attribute(const XmlView &written, bool specified)
        : m_written(written)
        , m_specified(specified)
    {
    }
    Attribute(const DefaultAttribute &supplied, const XmlView &element)
        : m_supplied(&supplied)
        , m_element(element)
    {
    }

    bool isNull() const { return m_written.isNull() && !m_supplied; }
    bool hasFullName(const char *name) const
    {
        return m_supplied ? m_supplied->fullName == name : m_written.hasFullName(name);
    }
    QString fullName() const { return m_supplied ? QString::fromUtf8(m_supplied->fullName) : m_written.fullName(); }
    QString value() const { return m_supplied ? m_supplied->value : m_written.value(); }
    // Whether the file itself writes it.
    bool specified() const { return !m_supplied && m_specified; }
    long line() const { return m_supplied ? m_element.line() : m_written.line(); }
    // The name when it has no prefix; nullptr for a prefixed one.
    const char *plainName() const
    {
        if (m_supplied)
            return m_supplied->fullName.contains(':') ? nullptr : m_supplied->fullName.constData();
        return m_written.plainName();
    }

private:
    XmlView m_written;
    bool m_specified = false;
    const DefaultAttribute *m_supplied = nullptr;
    XmlView m_element;
};

[[noreturn]] void fail(const Attribute &attr, const QString &cause)
{
    throw WalkFailure{attr.line(), cause};
}

// Where the schema's defaults are: put into the tree by validation (a document read whole), or
// kept apart by element kind (a streamed document, whose tree holds only what the file writes).
class AttributeReader {
public:
    explicit AttributeReader(bool streamed)
        : m_streamed(streamed)
    {
    }

    // Every attribute of the element: the written ones in document order, then the defaults.
    template <typename F>
    void forEach(const XmlView &element, F visit) const
    {
        for (XmlView attr = element.firstAttribute(); !attr.isNull(); attr = attr.next())
            visit(Attribute(attr, m_streamed || attr.specified()));
        if (m_streamed)
            for (const DefaultAttribute &supplied : XmlAttributeDefaults::of(element.node()))
                if (!XmlAttributeDefaults::writes(element.node(), supplied))
                    visit(Attribute(supplied, element));
    }

    // The element's attribute with that full name; the null attribute when it has none.
    Attribute find(const XmlView &element, const char *name) const
    {
        const XmlView written = element.attribute(name);
        if (!written.isNull())
            return Attribute(written, m_streamed || written.specified());
        if (m_streamed)
            for (const DefaultAttribute &supplied : XmlAttributeDefaults::of(element.node()))
                if (supplied.fullName == name)
                    return Attribute(supplied, element);
        return {};
    }

private:
    bool m_streamed;
};

// Counters are 16-bit like every index of the model; a file that needs more fails to load.
int16_t increased(int16_t counter, const XmlView &node)
{
    if (counter == std::numeric_limits<int16_t>::max())
        fail(node, QStringLiteral("more than 32767 frames, groups, items, lists or options in one place"));
    return int16_t(counter + 1);
}

QString nodeDescription(const XmlView &node)
{
    switch (node.kind()) {
    case XmlView::Kind::Comment:
        return QStringLiteral("a comment");
    case XmlView::Kind::ProcessingInstruction:
        return QStringLiteral("a processing instruction");
    case XmlView::Kind::Text:
    case XmlView::Kind::CData:
        return QStringLiteral("the text \"") + node.value().trimmed().left(40) + QLatin1Char('"');
    default:
        return QStringLiteral("a node that is not an element");
    }
}

// The element at the given index, fresh: whatever stood there or after it is dropped.
template <typename T>
T &appendAt(std::vector<T> &elements, int16_t index)
{
    elements.resize(size_t(index));
    return elements.emplace_back();
}

// inside: what the node stands in ("a group", "a frame"), for the explanation.
XmlView requireElement(XmlView node, const char *inside)
{
    if (!node.isElement())
        fail(node,
            nodeDescription(node) + QStringLiteral(" inside ") + QLatin1String(inside)
                + QStringLiteral(": only elements may stand there; move comments outside the frames"));
    return node;
}

Attribute requiredAttributeNode(const AttributeReader &attributes, const XmlView &element, const char *name)
{
    const Attribute attr = attributes.find(element, name);
    if (attr.isNull())
        fail(element,
            QStringLiteral("<") + element.localName() + QStringLiteral("> has no ") + QLatin1String(name)
                + QStringLiteral(" attribute"));
    return attr;
}

QString requiredAttribute(const AttributeReader &attributes, const XmlView &element, const char *name)
{
    return requiredAttributeNode(attributes, element, name).value();
}

template <typename T>
T converted(const std::optional<T> &value, const Attribute &attr)
{
    if (!value)
        fail(attr,
            QStringLiteral("the value \"") + attr.value() + QStringLiteral("\" of ") + attr.fullName()
                + QStringLiteral(" is not a number or flag the editor can read, or is out of range"));
    return *value;
}

template <typename T, typename F>
T convertedAttribute(const AttributeReader &attributes, const XmlView &element, const char *name, F convert)
{
    const Attribute attr = requiredAttributeNode(attributes, element, name);
    return converted(convert(attr.value()), attr);
}

// The item fields that attributes set, by the attribute's name.
enum class ItemField {
    None,
    CPTag,
    Type,
    Location,
    DisplayName,
    Units,
    AllCaps,
    Prototype,
    MinVal,
    MaxVal,
    IncVal,
    Visible,
    Editable,
    SameForAllConfigs,
    SaveDefaults,
    Length,
    SystemWrite,
    SystemWriteValue,
};

// The field an item attribute written without a prefix sets; None for any other attribute.
ItemField itemField(const char *name)
{
    static constexpr std::pair<const char *, ItemField> Fields[]
        = {{"CPTag", ItemField::CPTag}, {"type", ItemField::Type}, {"location", ItemField::Location},
            {"displayName", ItemField::DisplayName}, {"units", ItemField::Units}, {"allCaps", ItemField::AllCaps},
            {"prototype", ItemField::Prototype}, {"minVal", ItemField::MinVal}, {"maxVal", ItemField::MaxVal},
            {"incVal", ItemField::IncVal}, {"visible", ItemField::Visible}, {"editable", ItemField::Editable},
            {"sameForAllConfigs", ItemField::SameForAllConfigs}, {"saveDefaults", ItemField::SaveDefaults},
            {"length", ItemField::Length}, {"systemWrite", ItemField::SystemWrite},
            {"systemWriteValue", ItemField::SystemWriteValue}};
    if (!name)
        return ItemField::None;
    for (const auto &[text, field] : Fields)
        if (text[0] == name[0] && std::strcmp(text, name) == 0)
            return field;
    return ItemField::None;
}

// The list that the items being built belong to, if any.
struct ListMembership {
    bool inList = false;
    CPRef ref = CPRef::none();
    int16_t listIndex = NoList;
    int16_t memberCounter = 0;
};

} // namespace

class ConfigurationWalker::Walk {
public:
    Walk(ConfigurationModel &model, int16_t &loadStage, const SystemValueReader &readSystemValue, bool streamed,
        LayoutCounter *layout, std::vector<PendingSystemRead> *pendingReads)
        : m_state(model)
        , m_loadStage(loadStage)
        , m_readSystemValue(readSystemValue)
        , m_attributes(streamed)
        , m_layout(layout)
        , m_pendingReads(pendingReads)
    {
        m_loadStage = 0;
        m_state.defaultFrame = 0;
        m_state.useConfigs = false;
        m_frame = 0;
    }

    // A document read whole: each frame's elements are freed once the frame is built.
    void walk(XmlDocument &document)
    {
        const XmlView documentElement = document.documentElementView();
        m_state.frames.reserve(elementCount(documentElement));
        for (XmlView child = documentElement.firstChild(), next; !child.isNull(); child = next) {
            next = child.next();
            take(child);
            if (child.hasLocalName("frame"))
                document.discard(child);
        }
    }

    // One child of the document element, in document order.
    void take(const XmlView &child)
    {
        if (child.hasLocalName("settings")) {
            readSettings(child);
        } else if (child.hasLocalName("frame")) {
            buildFrame(child);
            if (m_layout) {
                m_layout->count(m_state.frames, m_state.frames[size_t(m_frame) - 1]);
                if (const auto breach = m_layout->breach(false))
                    throw FormTooLarge{*breach};
            }
        }
    }

private:
    Frame &frame() { return m_state.frames[size_t(m_frame)]; }
    Group &group() { return frame().groups[size_t(m_group)]; }

    void readSettings(const XmlView &element)
    {
        m_attributes.forEach(element, [this](const Attribute &attr) {
            if (attr.hasFullName("useConfigs"))
                m_state.useConfigs = converted(toBoolean(attr.value()), attr);
            else if (attr.hasFullName("defaultFrame"))
                m_state.defaultFrame = converted(toInt16(attr.value()), attr);
            else if (attr.hasFullName("operation"))
                // "remote" draws serial numbers from the numbering server named by serverName and
                // serverPort; any other value keeps the per-user counters.
                m_state.remoteOperation = attr.value() == QLatin1String("remote");
            else if (attr.hasFullName("serverName"))
                m_state.serverName = attr.value();
            else if (attr.hasFullName("serverPort"))
                m_state.serverPort = converted(toInt32(attr.value()), attr);
        });
        m_state.operationLabel = m_state.remoteOperation ? QStringLiteral(" [remote/ ") + m_state.serverName
                + QLatin1Char(':') + QString::number(m_state.serverPort) + QLatin1Char(']')
                                                         : QStringLiteral(" [local]");
    }

    void buildFrame(const XmlView &element)
    {
        Frame &built = appendAt(m_state.frames, m_frame);
        built.name = requiredAttribute(m_attributes, element, "name");
        built.groups.reserve(elementCount(element));
        m_composite = -1;
        m_group = 0;
        for (XmlView child = element.firstChild(); !child.isNull(); child = child.next()) {
            buildGroup(requireElement(child, "a frame"));
            m_group = increased(m_group, child);
        }
        m_frame = increased(m_frame, element);
    }

    void buildGroup(const XmlView &element)
    {
        Group &first = appendAt(frame().groups, m_group);
        const QString name = requiredAttribute(m_attributes, element, "name");
        first.name = name;
        reservePage(first, element.firstChild());
        int16_t page = 0;
        m_item = 0;
        m_list = 0;

        const XmlView last = element.lastChild();
        for (XmlView child = element.firstChild(); !child.isNull(); child = child.next()) {
            requireElement(child, "a group");
            if (child.hasLocalName("custPropList")) {
                ListMembership membership = startList(child);
                for (XmlView member = child.firstChild(); !member.isNull(); member = member.next())
                    buildItem(requireElement(member, "a list"), membership);
            } else {
                ListMembership none;
                buildItem(child, none);
            }

            // A page holds twelve children of the group element, a list counting as one; the
            // rest continues on a new page, never an empty one.
            if (page == 11 && !(child == last)) {
                m_group = increased(m_group, child);
                frame().groups[size_t(m_group) - 1].name += QStringLiteral("...");
                Group &next = appendAt(frame().groups, m_group);
                next.name = QStringLiteral("...") + name;
                reservePage(next, child.next());
                m_item = 0;
                m_list = 0;
                page = 0;
            } else {
                ++page;
            }
        }
    }

    // Room for the items and lists of the page that starts at the given child of a group: the
    // next twelve children, a list counting as one child and giving its members as items.
    static void reservePage(Group &page, XmlView from)
    {
        size_t items = 0;
        size_t lists = 0;
        for (int k = 0; k < 12 && !from.isNull(); ++k, from = from.next()) {
            if (from.hasLocalName("custPropList")) {
                ++lists;
                items += elementCount(from);
            } else {
                ++items;
            }
        }
        page.items.reserve(items);
        page.lists.reserve(lists);
    }

    // The number of children of a node, a bound for the vectors built from them.
    static size_t elementCount(const XmlView &parent)
    {
        size_t n = 0;
        for (XmlView child = parent.firstChild(); !child.isNull(); child = child.next())
            ++n;
        return n;
    }

    ListMembership startList(const XmlView &element)
    {
        CPList &list = appendAt(group().lists, m_list);
        list.position = {m_frame, m_group, m_item};
        list.visible = convertedAttribute<bool>(m_attributes, element, "visible", toBoolean);
        list.editable = convertedAttribute<bool>(m_attributes, element, "editable", toBoolean);
        list.defaultIndex = convertedAttribute<int16_t>(m_attributes, element, "defaultIndex", toInt16);
        list.linked = false;
        list.members.reserve(elementCount(element));
        // A link is made only by the file itself, never by a default of the schema.
        const Attribute linkTo = m_attributes.find(element, "linkTo");
        if (!linkTo.isNull() && linkTo.specified())
            list.linkTo = linkTo.value();

        ListMembership membership;
        membership.inList = true;
        membership.ref = list.position;
        membership.listIndex = m_list;
        m_list = increased(m_list, element);
        return membership;
    }

    void buildItem(const XmlView &element, ListMembership &membership)
    {
        CPItem &item = appendAt(group().items, m_item);
        item.f_idx = m_frame;
        item.g_idx = m_group;
        item.i_idx = m_item;
        item.inList = membership.inList;
        item.listRef = membership.ref;
        item.listIndex = membership.listIndex;
        item.hasPrototype = false;
        item.isListTarget = false;
        item.compositeRefsUpper = -1;
        if (membership.inList) {
            CPList &list = group().lists[size_t(membership.listIndex)];
            appendAt(list.members, membership.memberCounter) = item.ref();
            membership.memberCounter = increased(membership.memberCounter, element);
        }

        m_attributes.forEach(element, [&item](const Attribute &attr) { readItemAttribute(item, attr); });
        if (item.displayName.isEmpty())
            item.displayName = item.CPTag;

        bool defaultChosen = false;
        if (!element.firstChild().isNull()) {
            item.options.reserve(elementCount(element));
            for (XmlView child = element.firstChild(); !child.isNull(); child = child.next())
                buildOption(item, requireElement(child, "an item"), defaultChosen);
        } else {
            item.type = QStringLiteral("standard");
        }

        if (item.type == QLatin1String("composite")) {
            m_composite = increased(m_composite, element);
            Composite &composite = appendAt(frame().composites, m_composite);
            composite.owner = item.ref();
            composite.parts.reserve(item.options.size());
            for (const CPOption &option : item.options)
                composite.parts.push_back({item.ref(), option.useValue, option.values[0]});
            item.editable = false;
            // The options name the parts; none of them is a value. The field shows what the parts
            // make.
            item.defaultValue.clear();
        } else if (item.type == QLatin1String("systemRead")) {
            item.sameForAllConfigs = true;
            item.editable = false;
            const QString name = item.options.front().values[0];
            if (name != SerialNumberName) {
                if (m_pendingReads) {
                    m_pendingReads->push_back({item.ref(), name});
                } else {
                    item.defaultValue = m_readSystemValue(name);
                    m_loadStage = 0; // the system read service keeps its own steps there
                }
            } else if (item.defaultValue.compare(SerialNumberName, Qt::CaseInsensitive) == 0) {
                // The option only marks a serial number; its text (upper-cased for an all-capitals
                // item) is no number: an unnumbered field starts empty.
                item.defaultValue.clear();
            }
        }
        m_item = increased(m_item, element);
    }

    static void readItemAttribute(CPItem &item, const Attribute &attr)
    {
        const ItemField field = itemField(attr.plainName());
        if (field == ItemField::None)
            return;
        const QString value = attr.value();
        switch (field) {
        case ItemField::CPTag:
            item.CPTag = value;
            break;
        case ItemField::Type:
            item.type = value;
            break;
        case ItemField::Location:
            item.location = value == QLatin1String("onlyDocument") ? OnlyDocument
                : value == QLatin1String("onlyConfigurations")     ? OnlyConfigurations
                                                                   : DocumentAndConfigurations;
            break;
        case ItemField::DisplayName:
            item.displayName = value;
            break;
        case ItemField::Units:
            item.units = value;
            break;
        case ItemField::AllCaps:
            item.allCaps = converted(toBoolean(value), attr);
            break;
        case ItemField::Prototype:
            item.prototype = value;
            item.hasPrototype = true;
            break;
        case ItemField::MinVal:
            item.minVal = value.trimmed();
            break;
        case ItemField::MaxVal:
            item.maxVal = value.trimmed();
            break;
        case ItemField::IncVal:
            item.incVal = converted(toInt32(value), attr);
            break;
        case ItemField::Visible:
            item.visible = converted(toBoolean(value), attr);
            break;
        case ItemField::Editable:
            item.editable = converted(toBoolean(value), attr);
            break;
        case ItemField::SameForAllConfigs:
            item.sameForAllConfigs = converted(toBoolean(value), attr);
            break;
        case ItemField::SaveDefaults:
            item.saveDefaults = converted(toBoolean(value), attr);
            break;
        case ItemField::Length:
            item.length = converted(toInt16(value), attr);
            break;
        case ItemField::SystemWrite:
            item.systemWrite = converted(toBoolean(value), attr);
            break;
        case ItemField::SystemWriteValue:
            item.systemWriteValue = value;
            break;
        case ItemField::None:
            break;
        }
    }

    // The default an option gives: its first text when it fits the prototype; without a
    // prototype always, upper-cased for an all-capitals item. Nothing when it does not fit.
    static std::optional<QString> defaultFrom(const CPItem &item, const QString &text)
    {
        if (item.hasPrototype)
            return matchesPrototype(text, item.prototype) ? std::optional<QString>(text) : std::nullopt;
        return item.allCaps ? text.toUpper() : text;
    }

    void buildOption(CPItem &item, const XmlView &element, bool &defaultChosen)
    {
        CPOption &option = item.options.emplace_back();
        XmlView child = element.firstChild();
        if (child.isNull())
            fail(element,
                QStringLiteral("an option without text (<option/>): give it a text, or mark a blank "
                               "one with xml:space=\"preserve\""));
        for (size_t k = 0; !child.isNull() && k < option.values.size(); ++k, child = child.next())
            option.values[k] = child.text();

        m_attributes.forEach(element, [&](const Attribute &attr) {
            if (attr.hasFullName("useValue")) {
                const QString value = attr.value();
                option.useValue = value == QLatin1String("y") ? 1 : value == QLatin1String("z") ? 2 : 0;
            } else if (attr.hasFullName("default") && attr.value() == QLatin1String("true")) {
                if (const auto text = defaultFrom(item, option.values[0]))
                    item.defaultValue = *text;
                defaultChosen = true;
            }
        });
        // Until an option is marked, the first one stands in.
        if (!defaultChosen)
            if (const auto text = defaultFrom(item, item.options.front().values[0]))
                item.defaultValue = *text;
    }

    ConfigurationModel &m_state;
    int16_t &m_loadStage;
    const SystemValueReader &m_readSystemValue;
    const AttributeReader m_attributes;
    LayoutCounter *m_layout;
    std::vector<PendingSystemRead> *m_pendingReads;
    int16_t m_frame = 0;
    int16_t m_group = 0;
    int16_t m_item = 0;
    int16_t m_list = 0;
    int16_t m_composite = -1;
};

ConfigurationWalker::ConfigurationWalker(ConfigurationModel &model, int16_t &loadStage,
    const SystemValueReader &readSystemValue, bool streamed, LayoutCounter *layout,
    std::vector<PendingSystemRead> *pendingReads)
    : m_walk(std::make_unique<Walk>(model, loadStage, readSystemValue, streamed, layout, pendingReads))
{
}

ConfigurationWalker::~ConfigurationWalker() = default;

void ConfigurationWalker::walk(XmlDocument &document)
{
    m_walk->walk(document);
}

void ConfigurationWalker::take(const XmlView &child)
{
    m_walk->take(child);
}

} // namespace tavik

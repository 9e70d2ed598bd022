#include "config/loader.h"

#include "config/error_text.h"
#include "config/prototype_match.h"
#include "config/value_conversion.h"
#include "platform/xml_document.h"
#include "platform/xml_node.h"
#include "platform/xml_schema_cache.h"

#include <QDir>
#include <QFileInfo>
#include <limits>
#include <optional>

namespace tavik {

namespace {

const QString SchemaFileName = QStringLiteral("Tavik.xsd");
const QString ConfigFileName = QStringLiteral("Tavik.xml");
const QString SerialNumberName = QStringLiteral("nextSerialNumber");

// Anything in the validated document that the model cannot take: where it stands and why, for
// the checker's explanation (the editor's message stays the same whatever the cause).
struct WalkFailure {
    long line = 0;
    QString cause;
};

[[noreturn]] void fail(const XmlNode &node, const QString &cause)
{
    throw WalkFailure{node.line(), cause};
}

// Counters are 16-bit like every index of the model; a file that needs more fails to load.
int16_t increased(int16_t counter, const XmlNode &node)
{
    if (counter == std::numeric_limits<int16_t>::max())
        fail(node, QStringLiteral("more than 32767 frames, groups, items, lists or options in one place"));
    return int16_t(counter + 1);
}

QString nodeDescription(const XmlNode &node)
{
    switch (node.kind()) {
    case XmlNode::Kind::Comment: return QStringLiteral("a comment");
    case XmlNode::Kind::ProcessingInstruction: return QStringLiteral("a processing instruction");
    case XmlNode::Kind::Text:
    case XmlNode::Kind::CData: return QStringLiteral("the text \"") + node.value().trimmed().left(40) + QLatin1Char('"');
    default: return QStringLiteral("a node that is not an element");
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
const XmlNode &requireElement(const XmlNode &node, const char *inside)
{
    if (!node.isElement())
        fail(node, nodeDescription(node) + QStringLiteral(" inside ") + QLatin1String(inside)
                       + QStringLiteral(": only elements may stand there; move comments outside the frames"));
    return node;
}

XmlNode requiredAttributeNode(const XmlNode &element, const QString &name)
{
    const XmlNode attr = element.attribute(name);
    if (attr.isNull())
        fail(element, QStringLiteral("<") + element.localName() + QStringLiteral("> has no ") + name
                          + QStringLiteral(" attribute"));
    return attr;
}

QString requiredAttribute(const XmlNode &element, const QString &name)
{
    return requiredAttributeNode(element, name).value();
}

template <typename T>
T converted(const std::optional<T> &value, const XmlNode &attr)
{
    if (!value)
        fail(attr, QStringLiteral("the value \"") + attr.value() + QStringLiteral("\" of ") + attr.fullName()
                       + QStringLiteral(" is not a number or flag the editor can read, or is out of range"));
    return *value;
}

template <typename T, typename F>
T convertedAttribute(const XmlNode &element, const QString &name, F convert)
{
    const XmlNode attr = requiredAttributeNode(element, name);
    return converted(convert(attr.value()), attr);
}

// The list that the items being built belong to, if any.
struct ListMembership {
    bool inList = false;
    CPRef ref = CPRef::none();
    int16_t listIndex = NoList;
    int16_t memberCounter = 0;
};

class ConfigurationWalker {
public:
    ConfigurationWalker(SharedState &state, const SystemValueReader &readSystemValue)
        : m_state(state), m_readSystemValue(readSystemValue) {}

    void walk(const XmlNode &documentElement)
    {
        m_state.loadStage = 0;
        m_state.defaultFrame = 0;
        m_state.useConfigs = false;
        m_frame = 0;
        for (const XmlNode &child : documentElement.childNodes()) {
            if (!child.isElement())
                continue;
            const QString name = child.localName();
            if (name == QLatin1String("settings"))
                readSettings(child);
            else if (name == QLatin1String("frame"))
                buildFrame(child);
        }
    }

private:
    Frame &frame() { return m_state.frames[size_t(m_frame)]; }
    Group &group() { return frame().groups[size_t(m_group)]; }

    void readSettings(const XmlNode &element)
    {
        for (const XmlNode &attr : element.attributes()) {
            const QString name = attr.fullName();
            if (name == QLatin1String("useConfigs"))
                m_state.useConfigs = converted(toBoolean(attr.value()), attr);
            else if (name == QLatin1String("defaultFrame"))
                m_state.defaultFrame = converted(toInt16(attr.value()), attr);
            else if (name == QLatin1String("operation"))
                // "remote" draws serial numbers from the numbering server named by serverName and
                // serverPort; any other value keeps the per-user counters.
                m_state.remoteOperation = attr.value() == QLatin1String("remote");
            else if (name == QLatin1String("serverName"))
                m_state.serverName = attr.value();
            else if (name == QLatin1String("serverPort"))
                m_state.serverPort = converted(toInt32(attr.value()), attr);
        }
        m_state.operationLabel = m_state.remoteOperation
            ? QStringLiteral(" [remote/ ") + m_state.serverName + QLatin1Char(':')
                + QString::number(m_state.serverPort) + QLatin1Char(']')
            : QStringLiteral(" [local]");
    }

    void buildFrame(const XmlNode &element)
    {
        appendAt(m_state.frames, m_frame).name = requiredAttribute(element, QStringLiteral("name"));
        m_composite = -1;
        m_group = 0;
        for (const XmlNode &child : element.childNodes()) {
            buildGroup(requireElement(child, "a frame"));
            m_group = increased(m_group, child);
        }
        m_frame = increased(m_frame, element);
    }

    void buildGroup(const XmlNode &element)
    {
        Group &first = appendAt(frame().groups, m_group);
        const QString name = requiredAttribute(element, QStringLiteral("name"));
        first.name = name;
        int16_t page = 0;
        m_item = 0;
        m_list = 0;

        const XmlNode last = element.lastChild();
        for (const XmlNode &child : element.childNodes()) {
            requireElement(child, "a group");
            if (child.localName() == QLatin1String("custPropList")) {
                ListMembership membership = startList(child);
                for (const XmlNode &member : child.childNodes())
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
                appendAt(frame().groups, m_group).name = QStringLiteral("...") + name;
                m_item = 0;
                m_list = 0;
                page = 0;
            } else {
                ++page;
            }
        }
    }

    ListMembership startList(const XmlNode &element)
    {
        CPList &list = appendAt(group().lists, m_list);
        list.position = {m_frame, m_group, m_item};
        list.visible = convertedAttribute<bool>(element, QStringLiteral("visible"), toBoolean);
        list.editable = convertedAttribute<bool>(element, QStringLiteral("editable"), toBoolean);
        list.defaultIndex = convertedAttribute<int16_t>(element, QStringLiteral("defaultIndex"), toInt16);
        list.linked = false;
        // A link is made only by the file itself, never by a default of the schema.
        const XmlNode linkTo = element.attribute(QStringLiteral("linkTo"));
        if (!linkTo.isNull() && linkTo.specified())
            list.linkTo = linkTo.value();

        ListMembership membership;
        membership.inList = true;
        membership.ref = list.position;
        membership.listIndex = m_list;
        m_list = increased(m_list, element);
        return membership;
    }

    void buildItem(const XmlNode &element, ListMembership &membership)
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

        for (const XmlNode &attr : element.attributes())
            readItemAttribute(item, attr);
        if (item.displayName.isEmpty())
            item.displayName = item.CPTag;

        bool defaultChosen = false;
        if (element.hasChildNodes()) {
            for (const XmlNode &child : element.childNodes())
                buildOption(item, requireElement(child, "an item"), defaultChosen);
        } else {
            item.type = QStringLiteral("standard");
        }

        if (item.type == QLatin1String("composite")) {
            m_composite = increased(m_composite, element);
            Composite &composite = appendAt(frame().composites, m_composite);
            composite.owner = item.ref();
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
                item.defaultValue = m_readSystemValue(name);
                m_state.loadStage = 0; // the system read service keeps its own steps there
            } else if (item.defaultValue.compare(SerialNumberName, Qt::CaseInsensitive) == 0) {
                // The option only marks a serial number; its text (upper-cased for an all-capitals
                // item) is no number: an unnumbered field starts empty.
                item.defaultValue.clear();
            }
        }
        m_item = increased(m_item, element);
    }

    static void readItemAttribute(CPItem &item, const XmlNode &attr)
    {
        const QString name = attr.fullName();
        const QString value = attr.value();
        if (name == QLatin1String("CPTag")) {
            item.CPTag = value;
        } else if (name == QLatin1String("type")) {
            item.type = value;
        } else if (name == QLatin1String("location")) {
            item.location = value == QLatin1String("onlyDocument")         ? OnlyDocument
                : value == QLatin1String("onlyConfigurations")             ? OnlyConfigurations
                                                                           : DocumentAndConfigurations;
        } else if (name == QLatin1String("displayName")) {
            item.displayName = value;
        } else if (name == QLatin1String("units")) {
            item.units = value;
        } else if (name == QLatin1String("allCaps")) {
            item.allCaps = converted(toBoolean(value), attr);
        } else if (name == QLatin1String("prototype")) {
            item.prototype = value;
            item.hasPrototype = true;
        } else if (name == QLatin1String("minVal")) {
            item.minVal = value.trimmed();
        } else if (name == QLatin1String("maxVal")) {
            item.maxVal = value.trimmed();
        } else if (name == QLatin1String("incVal")) {
            item.incVal = converted(toInt32(value), attr);
        } else if (name == QLatin1String("visible")) {
            item.visible = converted(toBoolean(value), attr);
        } else if (name == QLatin1String("editable")) {
            item.editable = converted(toBoolean(value), attr);
        } else if (name == QLatin1String("sameForAllConfigs")) {
            item.sameForAllConfigs = converted(toBoolean(value), attr);
        } else if (name == QLatin1String("saveDefaults")) {
            item.saveDefaults = converted(toBoolean(value), attr);
        } else if (name == QLatin1String("length")) {
            item.length = converted(toInt16(value), attr);
        } else if (name == QLatin1String("systemWrite")) {
            item.systemWrite = converted(toBoolean(value), attr);
        } else if (name == QLatin1String("systemWriteValue")) {
            item.systemWriteValue = value;
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

    static void buildOption(CPItem &item, const XmlNode &element, bool &defaultChosen)
    {
        CPOption &option = item.options.emplace_back();
        const std::vector<XmlNode> children = element.childNodes();
        if (children.empty())
            fail(element, QStringLiteral("an option without text (<option/>): give it a text, or mark a blank "
                                         "one with xml:space=\"preserve\""));
        for (size_t k = 0; k < children.size() && k < option.values.size(); ++k)
            option.values[k] = children[k].text();

        for (const XmlNode &attr : element.attributes()) {
            const QString name = attr.fullName();
            const QString value = attr.value();
            if (name == QLatin1String("useValue")) {
                option.useValue = value == QLatin1String("y") ? 1 : value == QLatin1String("z") ? 2 : 0;
            } else if (name == QLatin1String("default") && value == QLatin1String("true")) {
                if (const auto text = defaultFrom(item, option.values[0]))
                    item.defaultValue = *text;
                defaultChosen = true;
            }
        }
        // Until an option is marked, the first one stands in.
        if (!defaultChosen)
            if (const auto text = defaultFrom(item, item.options.front().values[0]))
                item.defaultValue = *text;
    }

    SharedState &m_state;
    const SystemValueReader &m_readSystemValue;
    int16_t m_frame = 0;
    int16_t m_group = 0;
    int16_t m_item = 0;
    int16_t m_list = 0;
    int16_t m_composite = -1;
};

bool failed(SharedState &state, const QString &message, const QString &title)
{
    state.errorMessage = message;
    state.errorTitle = title;
    return false;
}

bool fileMissing(SharedState &state, const QString &fileName)
{
    return failed(state, fileName + QStringLiteral(" could not be found...\r\nExit on error"),
                  QStringLiteral("File not found"));
}

bool parseFailed(SharedState &state, const QString &fileName, const XmlParseError &error, const QString &title)
{
    return failed(state,
                  QStringLiteral("Error in ") + fileName + QStringLiteral(" file near line ")
                      + Str(static_cast<long long>(error.line)) + QStringLiteral("\r\n") + error.reason
                      + QStringLiteral("Exit on error"),
                  title);
}

bool walkFailed(SharedState &state)
{
    state.loadStage = 0;
    return failed(state, QStringLiteral("Unknown error in parsing of Schema or XML files...\r\nExiting"),
                  QStringLiteral("Fatal error"));
}

} // namespace

bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue)
{
    return loadConfiguration(state, readSystemValue, nullptr);
}

bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue, LoadFailureDetail *detail)
{
    const QString xsdTitle = QStringLiteral("XSD parse error");
    const QString xmlTitle = QStringLiteral("XML parse error");
    XmlDocument schemaDoc;
    XmlDocument configDoc;
    bool walking = false;
    try {
        state.loadStage = 0;
        const QDir folder(state.addinFolder);
        const QString schemaPath = folder.filePath(SchemaFileName);
        const QString configPath = folder.filePath(ConfigFileName);
        if (!QFileInfo(schemaPath).isFile()) {
            state.loadStage = 1;
            return fileMissing(state, SchemaFileName);
        }
        if (!QFileInfo(configPath).isFile()) {
            state.loadStage = 2;
            return fileMissing(state, ConfigFileName);
        }

        state.loadStage = 3;
        if (!schemaDoc.load(schemaPath))
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), xsdTitle);
        const XmlNode targetNamespace = schemaDoc.selectSingleNode(QStringLiteral("//*/@targetNamespace"));
        if (targetNamespace.isNull())
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), xsdTitle);
        auto schemas = std::make_shared<XmlSchemaCache>();
        if (!schemas->add(targetNamespace.value(), schemaDoc))
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), xsdTitle);
        configDoc.setSchemas(schemas);

        state.loadStage = 4;
        if (!configDoc.load(configPath))
            return parseFailed(state, ConfigFileName, configDoc.parseError(), xmlTitle);
        const XmlNode documentElement = configDoc.documentElement();
        if (documentElement.isNull())
            return parseFailed(state, ConfigFileName, configDoc.parseError(), xmlTitle);

        walking = true;
        ConfigurationWalker(state, readSystemValue).walk(documentElement);
        return true;
    } catch (const WalkFailure &failure) {
        if (detail)
            *detail = {failure.line, failure.cause};
        return walkFailed(state);
    } catch (...) {
        // A fault before the walk belongs to the stage it happened in. During the walk the system
        // read service moves loadStage through its own steps, so that cannot tell.
        if (walking)
            return walkFailed(state);
        if (state.loadStage == 3)
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), xsdTitle);
        if (state.loadStage == 4)
            return parseFailed(state, ConfigFileName, configDoc.parseError(), xmlTitle);
        return walkFailed(state);
    }
}

} // namespace tavik

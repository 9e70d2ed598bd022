#include "config/loader.h"

#include "config/error_text.h"
#include "config/prototype_match.h"
#include "config/value_conversion.h"
#include "platform/xml_document.h"
#include "platform/xml_schema_cache.h"
#include "platform/xml_view.h"

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

[[noreturn]] void fail(const XmlView &node, const QString &cause)
{
    throw WalkFailure{node.line(), cause};
}

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

XmlView requiredAttributeNode(const XmlView &element, const char *name)
{
    const XmlView attr = element.attribute(name);
    if (attr.isNull())
        fail(element,
            QStringLiteral("<") + element.localName() + QStringLiteral("> has no ") + QLatin1String(name)
                + QStringLiteral(" attribute"));
    return attr;
}

QString requiredAttribute(const XmlView &element, const char *name)
{
    return requiredAttributeNode(element, name).value();
}

template <typename T>
T converted(const std::optional<T> &value, const XmlView &attr)
{
    if (!value)
        fail(attr,
            QStringLiteral("the value \"") + attr.value() + QStringLiteral("\" of ") + attr.fullName()
                + QStringLiteral(" is not a number or flag the editor can read, or is out of range"));
    return *value;
}

template <typename T, typename F>
T convertedAttribute(const XmlView &element, const char *name, F convert)
{
    const XmlView attr = requiredAttributeNode(element, name);
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
    // Each frame's elements are freed from the document once the frame is built.
    ConfigurationWalker(SharedState &state, const SystemValueReader &readSystemValue, XmlDocument &document)
        : m_state(state)
        , m_readSystemValue(readSystemValue)
        , m_document(document)
    {
    }

    void walk(const XmlView &documentElement)
    {
        m_state.loadStage = 0;
        m_state.defaultFrame = 0;
        m_state.useConfigs = false;
        m_frame = 0;
        m_state.frames.reserve(elementCount(documentElement));
        for (XmlView child = documentElement.firstChild(), next; !child.isNull(); child = next) {
            next = child.next();
            if (child.hasLocalName("settings")) {
                readSettings(child);
            } else if (child.hasLocalName("frame")) {
                buildFrame(child);
                m_document.discard(child);
            }
        }
    }

private:
    Frame &frame() { return m_state.frames[size_t(m_frame)]; }
    Group &group() { return frame().groups[size_t(m_group)]; }

    void readSettings(const XmlView &element)
    {
        for (XmlView attr = element.firstAttribute(); !attr.isNull(); attr = attr.next()) {
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
        }
        m_state.operationLabel = m_state.remoteOperation ? QStringLiteral(" [remote/ ") + m_state.serverName
                + QLatin1Char(':') + QString::number(m_state.serverPort) + QLatin1Char(']')
                                                         : QStringLiteral(" [local]");
    }

    void buildFrame(const XmlView &element)
    {
        Frame &built = appendAt(m_state.frames, m_frame);
        built.name = requiredAttribute(element, "name");
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
        const QString name = requiredAttribute(element, "name");
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
        list.visible = convertedAttribute<bool>(element, "visible", toBoolean);
        list.editable = convertedAttribute<bool>(element, "editable", toBoolean);
        list.defaultIndex = convertedAttribute<int16_t>(element, "defaultIndex", toInt16);
        list.linked = false;
        list.members.reserve(elementCount(element));
        // A link is made only by the file itself, never by a default of the schema.
        const XmlView linkTo = element.attribute("linkTo");
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

        for (XmlView attr = element.firstAttribute(); !attr.isNull(); attr = attr.next())
            readItemAttribute(item, attr);
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

    static void readItemAttribute(CPItem &item, const XmlView &attr)
    {
        const QString value = attr.value();
        const auto is = [&attr](const char *name) { return attr.hasFullName(name); };
        if (is("CPTag")) {
            item.CPTag = value;
        } else if (is("type")) {
            item.type = value;
        } else if (is("location")) {
            item.location = value == QLatin1String("onlyDocument") ? OnlyDocument
                : value == QLatin1String("onlyConfigurations")     ? OnlyConfigurations
                                                                   : DocumentAndConfigurations;
        } else if (is("displayName")) {
            item.displayName = value;
        } else if (is("units")) {
            item.units = value;
        } else if (is("allCaps")) {
            item.allCaps = converted(toBoolean(value), attr);
        } else if (is("prototype")) {
            item.prototype = value;
            item.hasPrototype = true;
        } else if (is("minVal")) {
            item.minVal = value.trimmed();
        } else if (is("maxVal")) {
            item.maxVal = value.trimmed();
        } else if (is("incVal")) {
            item.incVal = converted(toInt32(value), attr);
        } else if (is("visible")) {
            item.visible = converted(toBoolean(value), attr);
        } else if (is("editable")) {
            item.editable = converted(toBoolean(value), attr);
        } else if (is("sameForAllConfigs")) {
            item.sameForAllConfigs = converted(toBoolean(value), attr);
        } else if (is("saveDefaults")) {
            item.saveDefaults = converted(toBoolean(value), attr);
        } else if (is("length")) {
            item.length = converted(toInt16(value), attr);
        } else if (is("systemWrite")) {
            item.systemWrite = converted(toBoolean(value), attr);
        } else if (is("systemWriteValue")) {
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

    static void buildOption(CPItem &item, const XmlView &element, bool &defaultChosen)
    {
        CPOption &option = item.options.emplace_back();
        XmlView child = element.firstChild();
        if (child.isNull())
            fail(element,
                QStringLiteral("an option without text (<option/>): give it a text, or mark a blank "
                               "one with xml:space=\"preserve\""));
        for (size_t k = 0; !child.isNull() && k < option.values.size(); ++k, child = child.next())
            option.values[k] = child.text();

        for (XmlView attr = element.firstAttribute(); !attr.isNull(); attr = attr.next()) {
            if (attr.hasFullName("useValue")) {
                const QString value = attr.value();
                option.useValue = value == QLatin1String("y") ? 1 : value == QLatin1String("z") ? 2 : 0;
            } else if (attr.hasFullName("default") && attr.value() == QLatin1String("true")) {
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
    XmlDocument &m_document;
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
    return failed(
        state, fileName + QStringLiteral(" could not be found...\r\nExit on error"), QStringLiteral("File not found"));
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

namespace {

const QString XsdTitle = QStringLiteral("XSD parse error");
const QString XmlTitle = QStringLiteral("XML parse error");

// Reads, validates and walks the configuration file. A fault before the walk belongs to the
// stage it happened in. During the walk the system read service moves loadStage through its own
// steps, so that cannot tell: any fault there is the walk's.
bool loadAndWalk(SharedState &state, const SystemValueReader &readSystemValue,
    std::shared_ptr<const XmlSchemaCache> schemas, const QString &configPath, LoadFailureDetail *detail)
{
    XmlDocument configDoc;
    bool walking = false;
    try {
        configDoc.setSchemas(std::move(schemas));
        state.loadStage = 4;
        if (!configDoc.load(configPath))
            return parseFailed(state, ConfigFileName, configDoc.parseError(), XmlTitle);
        const XmlView documentElement = configDoc.documentElementView();
        if (documentElement.isNull())
            return parseFailed(state, ConfigFileName, configDoc.parseError(), XmlTitle);

        walking = true;
        ConfigurationWalker(state, readSystemValue, configDoc).walk(documentElement);
        return true;
    } catch (const WalkFailure &failure) {
        if (detail)
            *detail = {failure.line, failure.cause};
        return walkFailed(state);
    } catch (...) {
        if (!walking && state.loadStage == 4)
            return parseFailed(state, ConfigFileName, configDoc.parseError(), XmlTitle);
        return walkFailed(state);
    }
}

} // namespace

bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue, LoadFailureDetail *detail)
{
    XmlDocument schemaDoc;
    std::shared_ptr<XmlSchemaCache> schemas;
    QString configPath;
    try {
        state.loadStage = 0;
        const QDir folder(state.addinFolder);
        const QString schemaPath = folder.filePath(SchemaFileName);
        configPath = folder.filePath(ConfigFileName);
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
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
        const XmlNode targetNamespace = schemaDoc.selectSingleNode(QStringLiteral("//*/@targetNamespace"));
        if (targetNamespace.isNull())
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
        schemas = std::make_shared<XmlSchemaCache>();
        if (!schemas->add(targetNamespace.value(), schemaDoc))
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
    } catch (...) {
        if (state.loadStage == 3)
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
        return walkFailed(state);
    }
    return loadAndWalk(state, readSystemValue, std::move(schemas), configPath, detail);
}

bool loadConfigurationAgainst(SharedState &state, const SystemValueReader &readSystemValue,
    std::shared_ptr<const XmlSchemaCache> schemas, const QString &configPath, LoadFailureDetail *detail)
{
    return loadAndWalk(state, readSystemValue, std::move(schemas), configPath, detail);
}

} // namespace tavik

#include "check/configuration_warnings.h"

#include "platform/xml_document.h"
#include "platform/xml_node.h"

#include <QHash>
#include <algorithm>

namespace tavik {

namespace {

const QString SerialNumberName = QStringLiteral("nextSerialNumber");

// Edits (insertions, deletions, substitutions, swaps of neighbours) from a to b.
int editDistance(const QString &a, const QString &b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(size_t(n) + 1, std::vector<int>(size_t(m) + 1));
    for (qsizetype i = 0; i <= n; ++i)
        d[size_t(i)][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][size_t(j)] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int best = std::min({d[size_t(i) - 1][size_t(j)] + 1, d[size_t(i)][size_t(j) - 1] + 1,
                d[size_t(i) - 1][size_t(j) - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, d[size_t(i) - 2][size_t(j) - 2] + 1);
            d[size_t(i)][size_t(j)] = best;
        }
    }
    return d[size_t(n)][size_t(m)];
}

// A text written as a name (letters, digits, "_", "-", ".") rather than as punctuation or words.
bool looksLikeName(const QString &text)
{
    if (text.isEmpty() || !text[0].isLetter())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.');
    });
}

// The nearest of names to a misspelt one: equal but for letter case, or at most two edits away
// (one for short names). Empty when none is that near.
QString nearest(const QString &wanted, const QStringList &names)
{
    QString best;
    int bestDistance = wanted.size() <= 3 ? 1 : 2;
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
        const int distance = editDistance(wanted, name);
        if (distance <= bestDistance && (best.isEmpty() || distance < bestDistance)) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString didYouMean(const QString &suggestion)
{
    return suggestion.isEmpty() ? QString()
                                : QStringLiteral(" Did you mean ") + quoted(suggestion) + QStringLiteral("?");
}

// The option's first text, as the loader takes it: the text of its first child node.
QString firstText(const XmlNode &option)
{
    const std::vector<XmlNode> children = option.childNodes();
    return children.empty() ? QString() : children.front().text();
}

QString secondText(const XmlNode &option)
{
    const std::vector<XmlNode> children = option.childNodes();
    return children.size() >= 2 ? children[1].text() : QString();
}

std::vector<XmlNode> elementsNamed(const XmlNode &parent, const char *name)
{
    std::vector<XmlNode> out;
    for (const XmlNode &child : parent.childNodes())
        if (child.isElement() && (!name || child.localName() == QLatin1String(name)))
            out.push_back(child);
    return out;
}

QString attributeText(const XmlNode &element, const char *name)
{
    const XmlNode attr = element.attribute(QLatin1String(name));
    return attr.isNull() ? QString() : attr.value();
}

// A "[" that no "]" closes; -1 when every bracket list is closed.
qsizetype unclosedBracket(const QString &prototype)
{
    for (qsizetype i = 0; i < prototype.size(); ++i) {
        if (prototype[i] != QLatin1Char('['))
            continue;
        const qsizetype close = prototype.indexOf(QLatin1Char(']'), i + 1);
        if (close < 0)
            return i;
        i = close;
    }
    return -1;
}

class FrameCheck {
public:
    FrameCheck(const XmlNode &frame, const SystemValueKnown &known, std::vector<ConfigurationWarning> &out)
        : m_frameName(attributeText(frame, "name"))
        , m_known(known)
        , m_out(out)
    {
        for (const XmlNode &group : elementsNamed(frame, nullptr)) {
            for (const XmlNode &child : elementsNamed(group, nullptr)) {
                if (child.localName() == QLatin1String("custPropList")) {
                    m_lists.push_back(child);
                    for (const XmlNode &member : elementsNamed(child, nullptr))
                        m_items.push_back(member);
                } else {
                    m_items.push_back(child);
                }
            }
        }
        for (const XmlNode &item : m_items) {
            const QString tag = attributeText(item, "CPTag");
            if (!m_firstByTag.contains(tag)) {
                m_firstByTag.insert(tag, item);
                m_tags << tag;
            }
        }
    }

    void run()
    {
        for (const XmlNode &item : m_items)
            checkItem(item);
        for (const XmlNode &list : m_lists)
            checkList(list);
    }

private:
    void warn(const XmlNode &node, const QString &text) { m_out.push_back({node.line(), text}); }

    QString inFrame() const { return QStringLiteral(" of frame ") + quoted(m_frameName); }

    void checkItem(const XmlNode &item)
    {
        const QString tag = attributeText(item, "CPTag");
        const XmlNode first = m_firstByTag.value(tag);
        if (!(first == item))
            warn(item,
                QStringLiteral("CPTag ") + quoted(tag) + QStringLiteral(" is used twice in frame ")
                    + quoted(m_frameName)
                    + QStringLiteral(" (first at line %1); composites, lists and serial-number keys find only "
                                     "the first, and both fields write one property. Give each item its own CPTag.")
                          .arg(first.line()));

        const QString prototype = attributeText(item, "prototype");
        if (unclosedBracket(prototype) >= 0)
            warn(item,
                QStringLiteral("the prototype ") + quoted(prototype) + QStringLiteral(" of ") + quoted(tag)
                    + QStringLiteral(" opens a \"[\" that no \"]\" closes, so no value is checked against it. "
                                     "Close the list with \"]\"."));

        const std::vector<XmlNode> options = elementsNamed(item, "option");
        const QString type = attributeText(item, "type");
        if (type == QLatin1String("composite") && !options.empty()) {
            if (item.attribute(QStringLiteral("length")).isNull())
                warn(item,
                    QStringLiteral("the composite ") + quoted(tag)
                        + QStringLiteral(" has no length, so nothing bounds the text it builds. Give it "
                                         "the length of the longest value it should hold, such as length=\"60\"."));
            for (const XmlNode &option : options) {
                const QString part = firstText(option);
                if (m_firstByTag.contains(part) || !looksLikeName(part))
                    continue;
                const QString suggestion = nearest(part, m_tags);
                if (!suggestion.isEmpty())
                    warn(option,
                        QStringLiteral("the composite ") + quoted(tag) + QStringLiteral(" takes ") + quoted(part)
                            + QStringLiteral(", which names no item") + inFrame()
                            + QStringLiteral(", so it is shown as literal text.") + didYouMean(suggestion));
            }
        } else if (type == QLatin1String("systemRead") && !options.empty()) {
            const QString name = firstText(options.front());
            if (name == SerialNumberName) {
                const QString key = secondText(options.front());
                if (!key.isEmpty() && !m_firstByTag.contains(key))
                    warn(options.front(),
                        QStringLiteral("the serial number ") + quoted(tag) + QStringLiteral(" is keyed on ")
                            + quoted(key) + QStringLiteral(", which names no item") + inFrame()
                            + QStringLiteral(", so it draws from the shared counter \"Tavik\". "
                                             "Name the key item's CPTag, or leave the key out.")
                            + didYouMean(nearest(key, m_tags)));
            } else if (!m_known(name)) {
                QString suggestion;
                for (const QString &candidate : {name.toLower(), name.left(1).toLower() + name.mid(1)})
                    if (suggestion.isEmpty() && m_known(candidate))
                        suggestion = candidate;
                warn(options.front(),
                    QStringLiteral("the system value ") + quoted(name) + QStringLiteral(" of ") + quoted(tag)
                        + QStringLiteral(" does not exist, so the field shows \"ERROR: <") + name
                        + QStringLiteral("> function not implemented\". Names are case-sensitive; "
                                         "docs/configuration.md lists them.")
                        + didYouMean(suggestion));
            }
        }
    }

    void checkList(const XmlNode &list)
    {
        const XmlNode linkTo = list.attribute(QStringLiteral("linkTo"));
        if (linkTo.isNull())
            return;
        const QString target = linkTo.value();
        const XmlNode item = m_firstByTag.value(target);
        if (item.isNull()) {
            warn(list,
                QStringLiteral("the list links to ") + quoted(target) + QStringLiteral(", which names no item")
                    + inFrame()
                    + QStringLiteral(", so its members show as separate fields. Name the CPTag "
                                     "of the item that selects the member.")
                    + didYouMean(nearest(target, m_tags)));
        } else if (!elementsNamed(item, "option").empty()) {
            warn(item,
                QStringLiteral("the options of ") + quoted(target)
                    + QStringLiteral(" are discarded: the list at line %1 "
                                     "links to it, and its entries become the "
                                     "names of the list's members. Remove the options.")
                          .arg(list.line()));
        }
    }

    QString m_frameName;
    const SystemValueKnown &m_known;
    std::vector<ConfigurationWarning> &m_out;
    std::vector<XmlNode> m_items;
    std::vector<XmlNode> m_lists;
    QHash<QString, XmlNode> m_firstByTag;
    QStringList m_tags;
};

} // namespace

std::vector<ConfigurationWarning> configurationWarnings(const QString &path, const SystemValueKnown &known)
{
    std::vector<ConfigurationWarning> out;
    XmlDocument doc;
    if (!doc.load(path))
        return out;
    const XmlNode root = doc.documentElement();
    const std::vector<XmlNode> frames = elementsNamed(root, "frame");
    for (const XmlNode &settings : elementsNamed(root, "settings")) {
        const XmlNode defaultFrame = settings.attribute(QStringLiteral("defaultFrame"));
        bool ok = false;
        const long long frame = defaultFrame.isNull() ? 0 : defaultFrame.value().trimmed().toLongLong(&ok);
        if (ok && frame >= (long long)frames.size())
            out.push_back({settings.line(),
                QStringLiteral("defaultFrame=\"%1\" names no frame: the file has %2 frame(s), "
                               "numbered from 0, so the editor shows frame 0. Give the index "
                               "of a frame.")
                    .arg(defaultFrame.value())
                    .arg(frames.size())});
    }
    for (const XmlNode &frame : frames)
        FrameCheck(frame, known, out).run();
    std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.line < b.line; });
    return out;
}

} // namespace tavik

#include "freecad/xml_spans.h"

#include "freecad/fcstd_error.h"

#include <array>
#include <cstring>

namespace tavik {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class Scanner {
public:
    Scanner(const QByteArray &xml, int maxDepth)
        : m_xml(xml)
        , m_maxDepth(maxDepth)
    {
    }

    XmlSpans scan();

private:
    [[noreturn]] void fail(const char *what) const
    {
        throw FcstdError(
            QStringLiteral("Document.xml cannot be edited: %1 at byte %2").arg(QLatin1String(what)).arg(m_pos));
    }
    bool startsWith(const char *text) const
    {
        const qsizetype n = qsizetype(std::strlen(text));
        return m_pos + n <= m_xml.size() && std::memcmp(m_xml.constData() + m_pos, text, size_t(n)) == 0;
    }
    // Moves past the next occurrence of text.
    void skipPast(const char *text)
    {
        const qsizetype at = m_xml.indexOf(text, m_pos);
        if (at < 0)
            fail("an unterminated construct");
        m_pos = at + qsizetype(std::strlen(text));
    }
    void skipSpace()
    {
        while (m_pos < m_xml.size() && isSpace(m_xml[m_pos]))
            ++m_pos;
    }
    QByteArray name()
    {
        const qsizetype from = m_pos;
        while (m_pos < m_xml.size() && !isSpace(m_xml[m_pos]) && m_xml[m_pos] != '>' && m_xml[m_pos] != '/'
            && m_xml[m_pos] != '=')
            ++m_pos;
        if (m_pos == from)
            fail("a missing name");
        return m_xml.mid(from, m_pos - from);
    }
    QList<XmlAttributeSpan> attributes();
    void declaration();
    void startTag();
    void endTag();

    const QByteArray &m_xml;
    int m_maxDepth;
    qsizetype m_pos = 0;
    XmlSpans m_result;
    QList<int> m_open; // the open elements: their index in the result, or -1 when not recorded
};

QList<XmlAttributeSpan> Scanner::attributes()
{
    QList<XmlAttributeSpan> list;
    for (;;) {
        skipSpace();
        if (m_pos >= m_xml.size())
            fail("an unterminated tag");
        const char c = m_xml[m_pos];
        if (c == '>' || c == '/' || c == '?')
            return list;
        XmlAttributeSpan a;
        a.name = name();
        skipSpace();
        if (m_pos >= m_xml.size() || m_xml[m_pos] != '=')
            fail("an attribute without a value");
        ++m_pos;
        skipSpace();
        if (m_pos >= m_xml.size() || (m_xml[m_pos] != '"' && m_xml[m_pos] != '\''))
            fail("an unquoted attribute value");
        const char quote = m_xml[m_pos++];
        a.valueBegin = m_pos;
        const qsizetype close = m_xml.indexOf(quote, m_pos);
        if (close < 0)
            fail("an unterminated attribute value");
        a.valueEnd = close;
        m_pos = close + 1;
        list.append(a);
    }
}

void Scanner::declaration()
{
    m_pos += 5; // "<?xml"
    for (const XmlAttributeSpan &a : attributes())
        if (a.name == "encoding")
            m_result.encoding = m_xml.mid(a.valueBegin, a.valueEnd - a.valueBegin);
    skipPast("?>");
}

void Scanner::startTag()
{
    XmlElementSpan e;
    e.begin = m_pos++;
    e.name = name();
    e.attributes = attributes();
    if (startsWith("/>")) {
        e.emptyTag = true;
        m_pos += 2;
    } else if (startsWith(">")) {
        m_pos += 1;
    } else {
        fail("an unterminated tag");
    }
    e.startTagEnd = m_pos;
    const int depth = int(m_open.size());
    if (depth == 0 && !m_result.elements.isEmpty())
        fail("a second document element");
    int index = -1;
    if (depth <= m_maxDepth) {
        e.depth = depth;
        e.parent = depth == 0 ? -1 : m_open.last();
        if (e.emptyTag) {
            e.endTagBegin = e.startTagEnd;
            e.end = e.startTagEnd;
        }
        index = int(m_result.elements.size());
        m_result.elements.append(e);
    }
    if (!e.emptyTag)
        m_open.append(index);
}

void Scanner::endTag()
{
    const qsizetype begin = m_pos;
    m_pos += 2;
    const QByteArray closing = name();
    skipSpace();
    if (!startsWith(">"))
        fail("an unterminated end tag");
    ++m_pos;
    if (m_open.isEmpty())
        fail("an end tag without a start tag");
    const int index = m_open.takeLast();
    if (index >= 0) {
        XmlElementSpan &e = m_result.elements[index];
        if (e.name != closing)
            fail("an end tag that does not match its start tag");
        e.endTagBegin = begin;
        e.end = m_pos;
    }
}

XmlSpans Scanner::scan()
{
    while (m_pos < m_xml.size()) {
        if (m_xml[m_pos] != '<') {
            const qsizetype next = m_xml.indexOf('<', m_pos);
            m_pos = next < 0 ? m_xml.size() : next;
            continue;
        }
        if (startsWith("<!--")) {
            skipPast("-->");
        } else if (startsWith("<![CDATA[")) {
            skipPast("]]>");
        } else if (startsWith("<!DOCTYPE")) {
            throw FcstdError(
                QStringLiteral("Document.xml holds a document type declaration, which FreeCAD never writes"));
        } else if (startsWith("<?xml") && m_pos + 5 < m_xml.size() && isSpace(m_xml[m_pos + 5])) {
            declaration();
        } else if (startsWith("<?")) {
            skipPast("?>");
        } else if (startsWith("</")) {
            endTag();
        } else if (startsWith("<!")) {
            fail("an unexpected declaration");
        } else {
            startTag();
        }
    }
    if (!m_open.isEmpty() || m_result.elements.isEmpty())
        fail("an unfinished document");
    return std::move(m_result);
}

} // namespace

const XmlAttributeSpan *XmlElementSpan::attribute(const char *attributeName) const
{
    for (const XmlAttributeSpan &a : attributes)
        if (a.name == attributeName)
            return &a;
    return nullptr;
}

XmlSpans scanXmlSpans(const QByteArray &xml, int maxDepth)
{
    return Scanner(xml, maxDepth).scan();
}

QString xmlAttributeText(const QByteArray &xml, const XmlAttributeSpan &attribute)
{
    const QByteArray raw = xml.mid(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin);
    QString text;
    for (qsizetype i = 0; i < raw.size();) {
        const qsizetype amp = raw.indexOf('&', i);
        const qsizetype stop = amp < 0 ? raw.size() : amp;
        // White space in a value is read as a blank, as every XML reader does.
        QByteArray plain = raw.mid(i, stop - i);
        plain.replace("\r\n", " ");
        for (char &c : plain)
            if (isSpace(c))
                c = ' ';
        text += QString::fromUtf8(plain);
        if (amp < 0)
            break;
        const qsizetype semicolon = raw.indexOf(';', amp);
        if (semicolon < 0)
            break;
        const QByteArray entity = raw.mid(amp + 1, semicolon - amp - 1);
        if (entity == "amp")
            text += QLatin1Char('&');
        else if (entity == "lt")
            text += QLatin1Char('<');
        else if (entity == "gt")
            text += QLatin1Char('>');
        else if (entity == "quot")
            text += QLatin1Char('"');
        else if (entity == "apos")
            text += QLatin1Char('\'');
        else if (entity.startsWith("#x"))
            text += QString::fromUcs4(std::array<char32_t, 1>{char32_t(entity.mid(2).toUInt(nullptr, 16))}.data(), 1);
        else if (entity.startsWith('#'))
            text += QString::fromUcs4(std::array<char32_t, 1>{char32_t(entity.mid(1).toUInt())}.data(), 1);
        i = semicolon + 1;
    }
    return text;
}

} // namespace tavik

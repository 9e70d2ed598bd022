#include "host/json_text.h"

#include <QSet>
#include <optional>

namespace tavik::jsonText {

namespace {

// Walks well-formed JSON text. Positions never pass the end, so that a text Qt let through in a
// form this scan does not expect ends the scan instead of reading past the text.
class Scanner {
public:
    explicit Scanner(const QByteArray &text)
        : m_text(text)
    {
    }

    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    static bool isDelimiter(char c) { return isBlank(c) || c == ',' || c == ']' || c == '}'; }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    bool at(char c)
    {
        skipBlanks();
        return m_pos < m_text.size() && m_text[m_pos] == c;
    }

    // A string starting at the current '"', decoded so that differently escaped spellings of
    // one name compare equal.
    QString string()
    {
        QString out;
        QByteArray run;
        ++m_pos; // the opening quote
        while (m_pos < m_text.size() && m_text[m_pos] != '"') {
            if (m_text[m_pos] != '\\') {
                run += m_text[m_pos++];
                continue;
            }
            out += QString::fromUtf8(run);
            run.clear();
            const char e = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : '\0';
            m_pos += 2;
            switch (e) {
            case 'b':
                out += QChar(0x08);
                break;
            case 'f':
                out += QChar(0x0C);
                break;
            case 'n':
                out += QChar(0x0A);
                break;
            case 'r':
                out += QChar(0x0D);
                break;
            case 't':
                out += QChar(0x09);
                break;
            case 'u': {
                bool ok = false;
                const ushort code = m_text.mid(m_pos, 4).toUShort(&ok, 16);
                out += QChar(ok ? code : 0xFFFD);
                m_pos += 4;
                break;
            }
            default:
                out += QChar::fromLatin1(e);
                break;
            }
        }
        out += QString::fromUtf8(run);
        m_pos = qMin(m_pos + 1, qsizetype(m_text.size())); // the closing quote
        return out;
    }

    // Skips one value; when checking for repeats, stops at the first member given twice in an
    // object and keeps its name.
    void value()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            return;
        const char c = m_text[m_pos];
        if (c == '"') {
            string();
        } else if (c == '{') {
            ++m_pos;
            QSet<QString> names;
            while (!at('}') && m_pos < m_text.size()) {
                if (!at('"'))
                    break;
                const QString name = string();
                if (m_checkRepeats && names.contains(name)) {
                    m_repeated = name;
                    m_pos = m_text.size();
                    return;
                }
                names.insert(name);
                if (at(':'))
                    ++m_pos;
                value();
                if (at(','))
                    ++m_pos;
            }
            m_pos = qMin(m_pos + 1, qsizetype(m_text.size()));
        } else if (c == '[') {
            ++m_pos;
            while (!at(']') && m_pos < m_text.size()) {
                const qsizetype before = m_pos;
                value();
                if (at(','))
                    ++m_pos;
                if (m_pos == before)
                    break;
            }
            m_pos = qMin(m_pos + 1, qsizetype(m_text.size()));
        } else {
            // A number or a word: runs to the next delimiter.
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
        }
    }

    qsizetype pos() const { return m_pos; }
    void setPos(qsizetype pos) { m_pos = pos; }
    void checkRepeats() { m_checkRepeats = true; }
    const std::optional<QString> &repeated() const { return m_repeated; }

private:
    bool m_checkRepeats = false;
    std::optional<QString> m_repeated;
    const QByteArray &m_text;
    qsizetype m_pos = 0;
};

} // namespace

QString firstRepeatedMember(const QByteArray &json)
{
    Scanner scan(json);
    scan.checkRepeats();
    scan.value();
    if (!scan.repeated())
        return {};
    return QStringLiteral("member \"%1\" is given twice in one object").arg(*scan.repeated());
}

QMap<QString, QByteArray> members(const QByteArray &objectText)
{
    QMap<QString, QByteArray> out;
    Scanner scan(objectText);
    if (!scan.at('{'))
        return out;
    scan.setPos(scan.pos() + 1);
    while (scan.at('"')) {
        const QString name = scan.string();
        if (!scan.at(':'))
            break;
        scan.setPos(scan.pos() + 1);
        scan.skipBlanks();
        const qsizetype start = scan.pos();
        scan.value();
        out.insert(name, objectText.mid(start, scan.pos() - start).trimmed());
        if (!scan.at(','))
            break;
        scan.setPos(scan.pos() + 1);
    }
    return out;
}

QList<QByteArray> elements(const QByteArray &arrayText)
{
    QList<QByteArray> out;
    Scanner scan(arrayText);
    if (!scan.at('['))
        return out;
    scan.setPos(scan.pos() + 1);
    while (!scan.at(']') && scan.pos() < arrayText.size()) {
        const qsizetype start = scan.pos();
        scan.value();
        if (scan.pos() == start)
            break;
        out.append(arrayText.mid(start, scan.pos() - start).trimmed());
        if (!scan.at(','))
            break;
        scan.setPos(scan.pos() + 1);
    }
    return out;
}

} // namespace tavik::jsonText

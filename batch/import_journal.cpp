#include "batch/import_journal.h"

#include "config/product.h"
#include "platform/settings_store.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavik {

namespace {

const QString Section = QStringLiteral("batchImports");

QJsonObject identityJson(const FileIdentity &identity)
{
    return {{QStringLiteral("size"), double(identity.size)},
        {QStringLiteral("sha256"), QString::fromLatin1(identity.sha256)}};
}

FileIdentity identityFrom(const QJsonValue &v)
{
    const QJsonObject o = v.toObject();
    return {qint64(o[u"size"].toDouble(-1)), o[u"sha256"].toString().toLatin1()};
}

const std::array<std::pair<ImportRecord::State, const char *>, 3> stateNames{{
    {ImportRecord::State::Applying, "applying"},
    {ImportRecord::State::Done, "done"},
    {ImportRecord::State::Undone, "undone"},
}};

} // namespace

QString stateName(ImportRecord::State state)
{
    for (const auto &[s, name] : stateNames)
        if (s == state)
            return QString::fromLatin1(name);
    return {};
}

qsizetype ImportRecord::changeCount() const
{
    qsizetype n = 0;
    for (const DocumentChanges &d : documents)
        n += qsizetype(d.changes.size());
    return n;
}

void ImportJournal::create(ImportRecord &record)
{
    // Two imports started in the same second take different IDs: an ID is taken only by writing
    // its entry where there was none, in one step of the store.
    const QString stem = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1;; ++n) {
        record.id = stem + QStringLiteral("-%1").arg(n);
        const QString text = recordText(record);
        bool taken = false;
        m_store.update(
            product::title(), Section, record.id, [&](const std::optional<QString> &current) -> std::optional<QString> {
                taken = current.has_value();
                return taken ? std::nullopt : std::optional<QString>(text);
            });
        if (!taken)
            return;
    }
}

QString ImportJournal::recordText(const ImportRecord &record)
{
    QJsonArray documents;
    for (const DocumentChanges &d : record.documents) {
        QJsonArray changes;
        for (const PropertyChange &c : d.changes)
            changes.append(QJsonObject{{QStringLiteral("level"), c.level}, {QStringLiteral("property"), c.property},
                {QStringLiteral("old"), c.oldValue ? QJsonValue(*c.oldValue) : QJsonValue()},
                {QStringLiteral("new"), c.newValue}});
        QJsonObject o{{QStringLiteral("path"), d.path}, {QStringLiteral("before"), identityJson(d.before)},
            {QStringLiteral("undone"), d.undone}, {QStringLiteral("changes"), changes}};
        if (d.after)
            o[u"after"] = identityJson(*d.after);
        documents.append(o);
    }
    const QJsonObject o{{QStringLiteral("time"), record.time}, {QStringLiteral("sheet"), record.sheet},
        {QStringLiteral("state"), stateName(record.state)}, {QStringLiteral("documents"), documents}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

void ImportJournal::save(const ImportRecord &record)
{
    m_store.write(product::title(), Section, record.id, recordText(record));
}

std::optional<ImportRecord> ImportJournal::load(const QString &id) const
{
    const std::optional<QString> text = m_store.value(product::title(), Section, id);
    if (!text)
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(text->toUtf8()).object();
    ImportRecord record;
    record.id = id;
    record.time = o[u"time"].toString();
    record.sheet = o[u"sheet"].toString();
    for (const auto &[s, name] : stateNames)
        if (o[u"state"].toString() == QLatin1String(name))
            record.state = s;
    for (const QJsonValue &dv : o[u"documents"].toArray()) {
        const QJsonObject d = dv.toObject();
        DocumentChanges doc;
        doc.path = d[u"path"].toString();
        doc.before = identityFrom(d[u"before"]);
        if (d.contains(u"after"))
            doc.after = identityFrom(d[u"after"]);
        doc.undone = d[u"undone"].toBool();
        for (const QJsonValue &cv : d[u"changes"].toArray()) {
            const QJsonObject c = cv.toObject();
            doc.changes.push_back({c[u"level"].toString(), c[u"property"].toString(),
                c[u"old"].isString() ? std::optional<QString>(c[u"old"].toString()) : std::nullopt,
                c[u"new"].toString()});
        }
        record.documents.push_back(std::move(doc));
    }
    return record;
}

QStringList ImportJournal::ids() const
{
    return m_store.keys(product::title(), Section);
}

} // namespace tavik

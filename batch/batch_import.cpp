#include "batch/batch_import.h"

#include "batch/batch_document.h"
#include "batch/progress.h"
#include "config/composite_text.h"
#include "config/item_rules.h"
#include "host/document_file_error.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace tavik {

namespace {

QString levelName(const QString &level)
{
    return level.isEmpty() ? QStringLiteral("the document") : QStringLiteral("configuration \"%1\"").arg(level);
}

// The values that one document is to take, level by level, in the order they were decided.
class Desires {
public:
    struct Entry {
        QString level;
        QString property;
        QString value;
        QString origin; // the level whose cell decided the value
    };

    const Entry *find(const QString &level, const QString &property) const
    {
        const auto it = m_index.constFind(key(level, property));
        return it == m_index.cend() ? nullptr : &m_entries[size_t(*it)];
    }
    // False when the level already takes another value for the property.
    bool set(const QString &level, const QString &property, const QString &value, const QString &origin)
    {
        if (const Entry *e = find(level, property))
            return e->value == value;
        m_index.insert(key(level, property), qsizetype(m_entries.size()));
        m_entries.push_back({level, property, value, origin});
        return true;
    }
    void replace(const QString &level, const QString &property, const QString &value)
    {
        if (const auto it = m_index.constFind(key(level, property)); it != m_index.cend())
            m_entries[size_t(*it)].value = value;
        else
            set(level, property, value, level);
    }
    bool any(const QString &level, const QSet<QString> &properties) const
    {
        for (const QString &p : properties)
            if (find(level, p))
                return true;
        return false;
    }
    const std::vector<Entry> &entries() const { return m_entries; }

private:
    static QString key(const QString &level, const QString &property) { return level + QChar(0x1F) + property; }
    std::vector<Entry> m_entries;
    QHash<QString, qsizetype> m_index;
};

// The tags a composite's text depends on: the items its parts name and, for a part standing for a
// linked list, every member and the list's target.
QSet<QString> compositeInputs(const SharedState &state, const Composite &composite)
{
    QSet<QString> tags;
    for (const CompositePart &part : composite.parts) {
        if (part.useValue < 0 || part.useValue > 2)
            continue;
        const CPItem &named = itemAt(state, part.ref);
        tags.insert(named.CPTag);
        if (!named.inList || named.listRef.isNone())
            continue;
        const Frame &frame = state.frames[size_t(named.listRef.f_idx)];
        const Group &group = frame.groups[size_t(named.listRef.g_idx)];
        if (size_t(named.listRef.i_idx) >= group.lists.size())
            continue;
        const CPList &list = group.lists[size_t(named.listRef.i_idx)];
        if (!list.linked)
            continue;
        tags.insert(itemAt(state, list.target).CPTag);
        for (const CPRef &m : list.members)
            tags.insert(itemAt(state, m).CPTag);
    }
    return tags;
}

} // namespace

std::vector<PropertyChange> planDocument(const BatchConfiguration &config, const BatchDocument &doc,
    const std::vector<const SheetRow *> &rows, std::vector<SheetIssue> &issues)
{
    const QStringList levels = QStringList{QString()} + doc.configurations();
    const int frame = doc.frame();
    const auto current = [&doc](const QString &level, const QString &property) {
        return doc.value(level, property).value_or(QString());
    };
    const auto refuse
        = [&](const QString &level, const QString &property, const QString &value, const QString &reason) {
              issues.push_back({doc.path(), level, property, value, reason});
          };

    // The cells, each checked by the rules of its item.
    Desires desires;
    QSet<QString> levelsSeen;
    std::vector<Desires::Entry> compositeCells; // checked once the composites are rebuilt
    for (const SheetRow *row : rows) {
        const QString &level = row->configuration;
        if (!levels.contains(level)) {
            refuse(level, QString(), QString(), QStringLiteral("the document has no such configuration"));
            continue;
        }
        if (levelsSeen.contains(level)) {
            refuse(level, QString(), QString(), QStringLiteral("the sheet names this level twice"));
            continue;
        }
        levelsSeen.insert(level);
        for (const auto &[property, cell] : row->cells) {
            const QString old = current(level, property);
            if (cell == old)
                continue;
            QString value = cell;
            const CPItem *item = config.item(property, frame);
            if (item && item->type == QLatin1String("composite")) {
                compositeCells.push_back({level, property, cell, level});
                continue;
            }
            if (item) {
                const ValueCheck check = checkItemValue(*item, cell, level.isEmpty());
                if (!check.accepted()) {
                    refuse(level, property, cell, check.reason);
                    continue;
                }
                value = check.value;
            }
            if (value != old)
                desires.set(level, property, value, level);
        }
    }

    // A value that is the same for all configurations goes to every level where the item lives.
    const std::vector<Desires::Entry> typed = desires.entries();
    for (const Desires::Entry &e : typed) {
        const CPItem *item = config.item(e.property, frame);
        if (!item || !item->sameForAllConfigs)
            continue;
        for (const QString &level : levels) {
            if (level == e.level || !itemLivesAt(*item, level.isEmpty()))
                continue;
            const Desires::Entry *other = desires.find(level, e.property);
            if (other && other->origin == level && other->value != e.value) {
                // Reported once, from the first of the two levels in the sheet.
                if (levels.indexOf(e.level) < levels.indexOf(level))
                    refuse(level, e.property, other->value,
                        QStringLiteral("the value is the same for all configurations, and %1 sets %2")
                            .arg(levelName(e.level), e.value));
                continue;
            }
            desires.set(level, e.property, e.value, e.level);
        }
    }

    // Composites follow their parts, at every level where a part changed; a composite may be a part
    // of another, so this runs until nothing changes (a ring of composites stops after a bound).
    const SharedState &state = *config.state;
    for (qsizetype pass = 0; pass <= config.tags.size(); ++pass) {
        bool changed = false;
        for (const QString &tag : config.tags) {
            const CPItem *owner = config.item(tag, frame);
            const Composite *composite
                = owner->type == QLatin1String("composite") ? compositeOf(state, *owner) : nullptr;
            if (!composite)
                continue;
            const QSet<QString> inputs = compositeInputs(state, *composite);
            for (const QString &level : levels) {
                if (!itemLivesAt(*owner, level.isEmpty()) || !desires.any(level, inputs))
                    continue;
                const auto valueOf = [&](const CPItem &item) {
                    const Desires::Entry *e = desires.find(level, item.CPTag);
                    return e ? e->value : current(level, item.CPTag);
                };
                // A user's own text in an editable composite stays, as in the editor.
                if (owner->editable && !valueOf(*owner).isEmpty())
                    continue;
                const QString text = composeText(state, *composite, valueOf).text;
                if (text != valueOf(*owner)) {
                    desires.replace(level, tag, text);
                    changed = true;
                }
            }
        }
        if (!changed)
            break;
    }

    // A composite's cell is not taken from the sheet; one that differs from what its parts give is
    // named, without refusing the sheet.
    for (const Desires::Entry &e : compositeCells) {
        const Desires::Entry *built = desires.find(e.level, e.property);
        const QString text = built ? built->value : current(e.level, e.property);
        if (e.value != text)
            issues.push_back({doc.path(), e.level, e.property, e.value,
                QStringLiteral("not taken: a composite is built from its parts, which give \"%1\"").arg(text), false});
    }

    std::vector<PropertyChange> changes;
    for (const Desires::Entry &e : desires.entries()) {
        const std::optional<QString> old = doc.value(e.level, e.property);
        if (old.value_or(QString()) != e.value)
            changes.push_back({e.level, e.property, old, e.value});
    }
    return changes;
}

qsizetype ImportPlan::refusals() const
{
    return std::count_if(issues.begin(), issues.end(), [](const SheetIssue &i) { return i.refusing; });
}

ImportPlan planImport(const BatchConfiguration &config, const Sheet &sheet, Progress &progress)
{
    // Rows grouped by document, documents in the order the sheet first names them.
    QStringList order;
    QHash<QString, std::vector<const SheetRow *>> byPath;
    for (const SheetRow &row : sheet.rows) {
        const QString path = QFileInfo(row.path).absoluteFilePath();
        if (!byPath.contains(path))
            order << path;
        byPath[path].push_back(&row);
    }
    ImportPlan plan;
    for (const QString &path : order) {
        const std::vector<const SheetRow *> &rows = byPath[path];
        try {
            const std::unique_ptr<BatchDocument> doc = openBatchDocument(path);
            ++plan.documentsRead;
            std::vector<PropertyChange> changes = planDocument(config, *doc, rows, plan.issues);
            if (!changes.empty())
                plan.documents.push_back({path, doc->identity(), std::nullopt, false, std::move(changes)});
        } catch (const DocumentFileError &e) {
            plan.issues.push_back({rows.front()->path, rows.front()->configuration, QString(), QString(), e.fault});
        }
        progress.step();
    }
    return plan;
}

ApplyOutcome applyImport(ImportRecord &record, ImportJournal &journal, Progress &progress)
{
    ApplyOutcome outcome;
    // Journalled first: an import that is stopped half way can still be undone.
    journal.create(record);
    for (DocumentChanges &d : record.documents) {
        try {
            const std::unique_ptr<BatchDocument> doc = openBatchDocument(d.path);
            if (doc->identity() != d.before)
                throw DocumentFileError(
                    d.path, QStringLiteral("the file has changed on disk since the sheet was checked"));
            for (const PropertyChange &c : d.changes)
                doc->setValue(c.level, c.property, c.newValue);
            d.after = doc->save();
            ++outcome.saved;
        } catch (const DocumentFileError &e) {
            outcome.problems << e.message;
        }
        progress.step();
    }
    record.state = ImportRecord::State::Done;
    journal.save(record);
    return outcome;
}

void revertChanges(BatchDocument &doc, const std::vector<PropertyChange> &changes)
{
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        if (it->oldValue)
            doc.setValue(it->level, it->property, *it->oldValue);
        else
            doc.removeValue(it->level, it->property);
    }
}

} // namespace tavik

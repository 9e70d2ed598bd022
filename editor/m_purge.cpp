// Purge: every custom property that the configuration names, in any frame, is deleted from the
// document and from each of its configurations. The fields keep their values, so Done can add
// the properties afresh; Quit after a purge leaves the document without them.

#include "editor/m.h"

#include "hostapi/host.h"
#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "editor/multi_column_combo_box.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

namespace tavik {

void M::connectPurge()
{
    connect(m_purge, &QPushButton::clicked, this, [this] { purgeCP(); });
}

bool M::purgeCP()
{
    guarded(QStringLiteral("Purge CP"), [this] {
        m_state.runOk = false;
        QStringList configurations;
        for (int c = 1; c < m_configsList->count(); ++c)
            configurations << m_configsList->item(c)->text();

        const std::shared_ptr<sw::ModelDoc2> document = activeDocument(m_state);
        // Deleting an absent property is no error: the host answers False and nothing changes.
        for (const Frame &frame : m_state.frames)
            for (const Group &group : frame.groups)
                for (const CPItem &item : group.items) {
                    document->DeleteCustomInfo2(QString(), item.CPTag);
                    for (const QString &configuration : configurations)
                        document->DeleteCustomInfo2(configuration, item.CPTag);
                }

        m_useConfigs->setChecked(m_state.useConfigs);
        m_frameSelect->setListIndex(m_state.defaultFrame);
        // The document's values are gone, so the settings they were loaded under are free again.
        m_frameSelect->setFocusPolicy(Qt::StrongFocus);
        m_useConfigs->setFocusPolicy(Qt::StrongFocus);
        m_form.purged = true;
        m_state.runOk = true;
    });
    return m_state.runOk;
}

} // namespace tavik

// The editor on the shipped configuration and a sample document: the load succeeds and every
// field sits on the page of its own slot with the tag of its own place. With TAVIK_SCREENSHOTS set
// to a folder, the pictures of the documentation are also saved there (scripts/screenshots).

#include "editor_fixture.h"

#include "config/loader.h"
#include "config/resolution.h"
#include "docsvc/system_read.h"
#include "editor/control_tag.h"
#include "editor/multi_column_combo_box.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTabBar>
#include <QTest>

using namespace tavik;

class DefaultConfigurationTest : public EditorFixture { };

TEST_F(DefaultConfigurationTest, OpensOnASampleDocument)
{
    app->openDocument(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Bracket.sldprt"));
    state.addinFolder = QStringLiteral(TAVIK_SOURCE_DIR "/data");
    ASSERT_TRUE(loadConfiguration(state, [this](const QString &name) { return readSystemValue(state, name); }))
        << state.errorMessage.toStdString();
    ASSERT_TRUE(doComposites(state) && doCPLists(state)) << state.errorMessage.toStdString();

    M &m = load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_TRUE(prompts.boxes().empty());

    int fields = 0;
    for (const Frame &frame : state.frames)
        for (const Group &group : frame.groups)
            for (const CPItem &item : group.items)
                for (size_t c = 0; c < item.valueControls.size(); ++c)
                    if (QObject *field = item.valueControls[c]) {
                        ++fields;
                        EXPECT_TRUE(tagOf(field) == controlTag(item.f_idx, item.g_idx, item.i_idx, int(c))
                            && field->parent() == group.pages[c])
                            << tagOf(field).toStdString();
                    }
    EXPECT_GT(fields, 0);

    const QString shots = qEnvironmentVariable("TAVIK_SCREENSHOTS");
    if (!shots.isEmpty()) {
        m.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
        auto save = [&](const char *name) {
            QCoreApplication::processEvents();
            EXPECT_TRUE(m.grab().save(shots + QLatin1Char('/') + QLatin1String(name))) << name;
        };
        save("editor.png");
        // The Stock tab: a linked list and its selector.
        auto *tabs = m.findChild<QWidget *>(QStringLiteral("gMultiPage_0"))->findChild<QTabBar *>();
        ASSERT_NE(tabs, nullptr);
        tabs->setCurrentIndex(1);
        save("editor-stock.png");
        // The first configuration's page of the same tab.
        if (!m.useConfigs()->isChecked())
            m.useConfigs()->click();
        m.configsList()->setCurrentRow(1);
        save("editor-configuration.png");
        // The Drawing frame, with its serial number and Get Next button.
        m.configsList()->setCurrentRow(0);
        m.frameSelect()->setCurrentIndex(1);
        save("editor-drawing.png");
    }
}

// The editor on the shipped configuration and a sample document: the load succeeds and every
// field sits on the page of its own slot with the tag of its own place. With
// TAVIK_EDITOR_SCREENSHOT set to a file name, the window is also saved as a picture there.

#include "editor_fixture.h"

#include "config/loader.h"
#include "config/resolution.h"
#include "docsvc/system_read.h"
#include "editor/control_tag.h"

#include <QTest>

using namespace tavik;

class DefaultConfigurationTest : public EditorFixture {};

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
                for (size_t c = 0; c < item.valueControls.size(); ++c) {
                    QObject *field = item.valueControls[c];
                    if (!field)
                        continue;
                    ++fields;
                    EXPECT_EQ(tagOf(field), controlTag(item.f_idx, item.g_idx, item.i_idx, int(c)));
                    EXPECT_EQ(field->parent(), group.pages[c]) << tagOf(field).toStdString();
                }
    EXPECT_GT(fields, 0);

    const QByteArray screenshot = qgetenv("TAVIK_EDITOR_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        m.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
        EXPECT_TRUE(m.grab().save(QString::fromLocal8Bit(screenshot)));
    }
}

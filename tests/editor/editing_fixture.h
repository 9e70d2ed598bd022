#pragma once
// The editor shown and active on the offscreen platform (focus changes need an active window),
// with a person's typing into fields and moving the focus away.

#include "editor_fixture.h"

#include "widgets/field_text_box.h"
#include "editor/multi_column_combo_box.h"

#include <QAction>
#include <QMenu>
#include <QTest>

class EditingFixture : public EditorFixture {
protected:
    tavik::M &open()
    {
        tavik::M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        m.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        return m;
    }

    template <typename T = tavik::FieldTextBox>
    T *field(int f, int g, int i, int c)
    {
        return qobject_cast<T *>(item(f, g, i).valueControls.at(size_t(c)));
    }

    // Focus, the old entry selected, then one key per character.
    static void type(QWidget *field, const QString &text)
    {
        field->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        auto *edit = qobject_cast<QLineEdit *>(field);
        if (!edit)
            edit = qobject_cast<QComboBox *>(field)->lineEdit();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }

    // The focus goes to another control, and whatever that sets off has happened.
    static void leaveTo(QWidget *other)
    {
        other->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    static void choose(QMenu *menu, const char *entry)
    {
        for (QAction *action : menu->actions())
            if (action->objectName() == QLatin1String(entry))
                action->trigger();
    }
};

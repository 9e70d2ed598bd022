#pragma once
// The editor shown and active on the offscreen platform, with a person's typing, leaving and
// clicking of fields, for the tests of editing and of the commands.

#include "editor_fixture.h"

#include "editor/field_text_box.h"
#include "editor/multi_column_combo_box.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

class EditingFixture : public EditorFixture {
protected:
    // Loads the editor and shows it; focus changes need an active window.
    tavik::M &open()
    {
        tavik::M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        m.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        return m;
    }

    template <typename T = QWidget>
    T *field(int f, int g, int i, int c)
    {
        return qobject_cast<T *>(item(f, g, i).valueControls.at(size_t(c)));
    }

    static QLineEdit *textArea(QWidget *field)
    {
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            return edit;
        return qobject_cast<QComboBox *>(field)->lineEdit();
    }

    // Focus, the old entry selected, then one key per character.
    static void type(QWidget *field, const QString &text)
    {
        field->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        textArea(field)->selectAll();
        if (text.isEmpty())
            QTest::keyClick(textArea(field), Qt::Key_Delete);
        else
            QTest::keyClicks(textArea(field), text);
    }

    // The focus goes to another control, and whatever that sets off has happened.
    static void leaveTo(QWidget *other)
    {
        other->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    static QAction *entry(QMenu *menu, const QString &name)
    {
        for (QAction *action : menu->actions())
            if (action->objectName() == name)
                return action;
        ADD_FAILURE() << "no entry " << name.toStdString();
        return nullptr;
    }

    static void rightClick(QWidget *field)
    {
        QWidget *target = textArea(field) ? textArea(field) : field;
        QTest::mouseClick(target, Qt::RightButton);
    }
};

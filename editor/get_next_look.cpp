#include "editor/get_next_look.h"

#include <QFont>
#include <QWidget>

namespace tavik {

void showNumberDrawn(QWidget *button, bool drawn)
{
    QFont font = button->font();
    font.setStrikeOut(drawn);
    button->setFont(font);
    button->setToolTip(drawn ? QStringLiteral("Right click for more options") : QString());
}

} // namespace tavik

#include "editor/about_box.h"

#include "config/product.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tavik {

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(product::title());
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(product::title(), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.5);
    title->setFont(font);
    auto *version = new QLabel(QStringLiteral("Version ") + product::version(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto *notice = new QLabel(product::notice(), this);
    notice->setObjectName(QStringLiteral("lblNotice"));
    notice->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(notice);
    layout->addWidget(buttons);
}

} // namespace tavik

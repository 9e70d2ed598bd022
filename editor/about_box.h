#pragma once
// The About box that a double click on the editor window opens: the product's title, version
// and notice line.

#include <QDialog>

namespace tavik {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};

} // namespace tavik

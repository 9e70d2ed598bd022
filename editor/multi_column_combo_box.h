#pragma once
// A combo box over a three-column model whose drop-down shows the first columns. Its list index
// follows the text: the entry whose text equals the box's text, -1 when none, as the editor's
// fields expect whether the text was typed or chosen.

#include <QComboBox>

class QStandardItemModel;
class QTreeView;

namespace tavik {

class MultiColumnComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 3;

    explicit MultiColumnComboBox(QWidget *parent = nullptr);

    // Makes the box editable, as setEditable(true) does, but leaves the drop-down to be made when
    // it is first needed: setEditable builds the default list and its pop-up at once, which
    // costs more than the rest of the box, and most boxes are never opened.
    void makeEditable();

    // The entry whose column-0 text equals the box's text exactly; -1 when none.
    int listIndex() const;
    // Selects entry index and shows its text; -1 empties the box. Any other index outside the
    // entries throws RuntimeError 380 (invalid property value).
    void setListIndex(int index);
    int listCount() const { return count(); }

    // The box's text. Setting it selects the entry with that text, or none.
    QString value() const;
    void setValue(const QString &text);

    void addEntry(const QString &text);
    // Texts of column 0..2 of an entry; an entry or column out of range throws RuntimeError 380.
    QString list(int entry, int column) const;
    void setList(int entry, int column, const QString &text);

    // Number of columns the drop-down shows (1 to 3).
    void setVisibleColumns(int columns);
    int visibleColumns() const { return m_visibleColumns; }

    // The drop-down list with its columns.
    QTreeView *popupView();

    void setDropButtonShown(bool shown);
    bool dropButtonShown() const { return m_dropButton; }
    void setTextAlignment(Qt::Alignment alignment);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showPopup() override;

private:
    QStandardItemModel *m_model;
    QTreeView *m_view = nullptr;
    int m_visibleColumns = 1;
    bool m_dropButton = true;
};

} // namespace tavik

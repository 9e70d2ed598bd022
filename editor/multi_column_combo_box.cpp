#include "editor/multi_column_combo_box.h"

#include "platform/runtime_error.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStylePainter>
#include <QTreeView>

namespace tavik {

namespace {
constexpr int InvalidPropertyValue = 380;

[[noreturn]] void invalidValue()
{
    throw RuntimeError(InvalidPropertyValue, QStringLiteral("Invalid property value"));
}
} // namespace

MultiColumnComboBox::MultiColumnComboBox(QWidget *parent)
    : QComboBox(parent)
    , m_model(qobject_cast<QStandardItemModel *>(model()))
{
    // The box's own model, widened: replacing it would cost more than the box itself.
    Q_ASSERT(m_model);
    m_model->setColumnCount(ColumnCount);
    // Typed text stays a text; it never becomes a new entry.
    setInsertPolicy(QComboBox::NoInsert);
}

void MultiColumnComboBox::makeEditable()
{
    if (isEditable())
        return;
    // The text area as setEditable makes it; the box's own palette, so that it paints alike.
    auto *edit = new QLineEdit(this);
    edit->setPalette(palette());
    setLineEdit(edit);
}

QTreeView *MultiColumnComboBox::popupView()
{
    // Made on first use: a drop-down of its own per box is costly, and most are never opened.
    if (!m_view) {
        m_view = new QTreeView(this);
        m_view->setHeaderHidden(true);
        m_view->setRootIsDecorated(false);
        m_view->setItemsExpandable(false);
        m_view->setAllColumnsShowFocus(true);
        setView(m_view);
        setVisibleColumns(m_visibleColumns);
    }
    return m_view;
}

int MultiColumnComboBox::listIndex() const
{
    if (!isEditable())
        return currentIndex();
    const QString text = currentText();
    // The chosen entry wins among entries of the same text; an empty box with nothing chosen
    // has no index even when an entry is empty.
    if (currentIndex() >= 0 && itemText(currentIndex()) == text)
        return currentIndex();
    if (currentIndex() < 0 && text.isEmpty())
        return -1;
    for (int row = 0; row < count(); ++row)
        if (m_model->index(row, 0).data().toString() == text)
            return row;
    return -1;
}

void MultiColumnComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        invalidValue();
    setCurrentIndex(index);
    if (index == -1 && isEditable())
        setEditText(QString());
}

QString MultiColumnComboBox::value() const
{
    return currentText();
}

void MultiColumnComboBox::setValue(const QString &text)
{
    int match = -1;
    for (int row = 0; row < count() && match < 0; ++row)
        if (m_model->index(row, 0).data().toString() == text)
            match = row;
    setCurrentIndex(match);
    if (isEditable() && currentText() != text)
        setEditText(text);
}

void MultiColumnComboBox::addEntry(const QString &text)
{
    QList<QStandardItem *> row;
    row << new QStandardItem(text);
    for (int column = 1; column < ColumnCount; ++column)
        row << new QStandardItem();
    m_model->appendRow(row);
}

QString MultiColumnComboBox::list(int entry, int column) const
{
    if (entry < 0 || entry >= count() || column < 0 || column >= ColumnCount)
        invalidValue();
    return m_model->index(entry, column).data().toString();
}

void MultiColumnComboBox::setList(int entry, int column, const QString &text)
{
    if (entry < 0 || entry >= count() || column < 0 || column >= ColumnCount)
        invalidValue();
    m_model->setData(m_model->index(entry, column), text);
}

void MultiColumnComboBox::setVisibleColumns(int columns)
{
    m_visibleColumns = qBound(1, columns, int(ColumnCount));
    if (!m_view)
        return;
    for (int column = 0; column < ColumnCount; ++column)
        m_view->setColumnHidden(column, column >= m_visibleColumns);
}

void MultiColumnComboBox::setDropButtonShown(bool shown)
{
    m_dropButton = shown;
    update();
}

void MultiColumnComboBox::setTextAlignment(Qt::Alignment alignment)
{
    if (lineEdit())
        lineEdit()->setAlignment(alignment);
}

void MultiColumnComboBox::paintEvent(QPaintEvent *event)
{
    if (m_dropButton) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.subControls &= ~QStyle::SC_ComboBoxArrow;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void MultiColumnComboBox::showPopup()
{
    // The drop-down is wide enough for every shown column.
    QTreeView *tree = popupView();
    int width = 0;
    for (int column = 0; column < m_visibleColumns; ++column) {
        tree->resizeColumnToContents(column);
        width += tree->columnWidth(column);
    }
    tree->setMinimumWidth(qMax(width + 4, this->width()));
    QComboBox::showPopup();
}

} // namespace tavik

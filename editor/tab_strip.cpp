#include "editor/tab_strip.h"

#include "platform/runtime_error.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace tavik {

TabStrip::TabStrip(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QTabBar(this))
{
    m_bar->setExpanding(false);
    m_bar->setDrawBase(false);
    m_bar->setUsesScrollButtons(true);
    setFocusProxy(m_bar);
    connect(m_bar, &QTabBar::currentChanged, this, [this] { emit clicked(); });
}

void TabStrip::clearTabs()
{
    while (m_bar->count() > 0)
        m_bar->removeTab(m_bar->count() - 1);
}

void TabStrip::addTab(int index, const QString &key, const QString &caption)
{
    if (index < 1 || index > m_bar->count() + 1)
        throw RuntimeError(380, QStringLiteral("Invalid property value"));
    const int at = m_bar->insertTab(index - 1, caption);
    m_bar->setTabData(at, key);
    m_bar->resize(qMin(width(), m_bar->sizeHint().width()), m_bar->sizeHint().height());
}

int TabStrip::tabCount() const
{
    return m_bar->count();
}

QString TabStrip::tabKey(int index) const
{
    return m_bar->tabData(index - 1).toString();
}

QString TabStrip::tabCaption(int index) const
{
    return m_bar->tabText(index - 1);
}

int TabStrip::selectedIndex() const
{
    return m_bar->currentIndex() + 1;
}

void TabStrip::selectTab(int index)
{
    if (index < 1 || index > m_bar->count())
        throw RuntimeError(380, QStringLiteral("Invalid property value"));
    m_bar->setCurrentIndex(index - 1);
}

void TabStrip::resizeEvent(QResizeEvent *)
{
    m_bar->resize(qMin(width(), m_bar->sizeHint().width()), m_bar->sizeHint().height());
}

void TabStrip::paintEvent(QPaintEvent *)
{
    // The client area's border, drawn from just under the tabs to the strip's lower edge.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int top = qMax(0, m_bar->height() - 1);
    option.rect = QRect(0, top, width(), height() - top);
    option.tabBarSize = m_bar->size();
    option.shape = QTabBar::RoundedNorth;
    option.tabBarRect = m_bar->geometry();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

} // namespace tavik

#pragma once
// A frame's tab strip: a row of tabs over a bordered client area on which the pages of the frame
// lie. Tabs are numbered from 1 and carry a key ("tab 0", "tab 1", ...).

#include <QWidget>

class QTabBar;

namespace tavik {

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget *parent = nullptr);

    void clearTabs();
    // Adds a tab at position index (from 1).
    void addTab(int index, const QString &key, const QString &caption);
    int tabCount() const;
    QString tabKey(int index) const;
    QString tabCaption(int index) const;

    // The selected tab (from 1); 0 when the strip has no tabs.
    int selectedIndex() const;
    // Selects tab index (from 1); throws RuntimeError 380 for an index outside the tabs.
    void selectTab(int index);

    QTabBar *tabBar() const { return m_bar; }

signals:
    // The selected tab changed, by a click or by the program.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *m_bar;
};

} // namespace tavik

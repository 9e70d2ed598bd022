#pragma once
// An indexed array of controls of one kind: the designed element 9999 is a hidden template kept
// apart from the elements created at run time, which take their indices from the array's counter.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>

namespace tavik {

constexpr int TemplateIndex = 9999;
constexpr int DefaultCounterLimit = 9999;

template <typename T>
class ControlArray {
public:
    // make builds one element configured like the designed template; created elements start as
    // copies of it, as loading a control array element does.
    using Factory = std::function<T *(QWidget *parent)>;

    ControlArray(QString name, Factory make, QWidget *templateParent)
        : m_name(std::move(name))
        , m_make(std::move(make))
    {
        m_template = m_make(templateParent);
        m_template->setObjectName(m_name);
        m_template->setProperty("index", TemplateIndex);
    }

    const QString &name() const { return m_name; }
    T *templateElement() const { return m_template; }

    // Creates the element at the counter's current value and advances the counter by one.
    T *load(QWidget *container)
    {
        T *element = loadAt(m_counter, container);
        ++m_counter;
        return element;
    }

    // Creates the element with a chosen index (the tab strips take their frame's index).
    T *loadAt(int index, QWidget *container)
    {
        T *element = m_make(container);
        element->setObjectName(m_name + QLatin1Char('_') + QString::number(index));
        element->setProperty("index", index);
        m_elements[index] = element;
        return element;
    }

    // One more step of the counter without a new element (the label counter takes two per label).
    void advance() { ++m_counter; }
    int counter() const { return m_counter; }
    bool overLimit() const { return m_counter > m_limit; }
    void setLimit(int limit) { m_limit = limit; }
    int limit() const { return m_limit; }

    T *element(int index) const
    {
        auto it = m_elements.find(index);
        return it == m_elements.end() ? nullptr : it->second.data();
    }
    // Created elements by index, template excluded. Entries whose widget is gone read nullptr.
    const std::map<int, QPointer<T>> &elements() const { return m_elements; }
    size_t size() const { return m_elements.size(); }

    // Deletes the created elements and starts the counter again at 0; the template stays.
    void clear()
    {
        for (auto &[index, element] : m_elements)
            delete element.data();
        m_elements.clear();
        m_counter = 0;
    }

private:
    QString m_name;
    Factory m_make;
    T *m_template = nullptr;
    std::map<int, QPointer<T>> m_elements;
    int m_counter = 0;
    int m_limit = DefaultCounterLimit;
};

} // namespace tavik

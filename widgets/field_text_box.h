#pragma once
// The text box of a field. Its length limit holds back what the user types, pastes by keyboard or
// drops; text the program puts in stays whole (a document value longer than the limit is not
// cut), and the user may still shorten such a text.

#include <QLineEdit>

namespace tavik {

class FieldTextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldTextBox(QWidget *parent = nullptr);

    // 0: no limit.
    void setLengthLimit(int limit);
    int lengthLimit() const { return m_limit; }

    // True while an input event of the user is being handled.
    bool inUserInput() const { return m_userInput; }

protected:
    bool event(QEvent *event) override;

private:
    int m_limit = 0;
    bool m_userInput = false;
};

} // namespace tavik

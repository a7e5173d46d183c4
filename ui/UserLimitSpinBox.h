#pragma once

#include <QSpinBox>

namespace corvane {

// The maximum-users box: -1 (no limit) or any number typed, without group separators; it
// refuses a typed minus sign, so -1 reaches it only from the arrows and from code. The arrows
// stop at `arrowMaximum`; what is typed may go beyond it and is kept as typed.
class UserLimitSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit UserLimitSpinBox(int arrowMaximum, QWidget* parent = nullptr);

    int arrowMaximum() const { return m_arrowMaximum; }
    QValidator::State validate(QString& text, int& pos) const override;
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_arrowMaximum;
};

} // namespace corvane

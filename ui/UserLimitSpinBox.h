#pragma once

#include <QSpinBox>

namespace corvane {

// The maximum-users box: a spin box from -1 (no limit) up to `maximum`, without group
// separators, that refuses a typed minus sign. -1 reaches it only from the arrows and from code.
class UserLimitSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit UserLimitSpinBox(int maximum, QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& pos) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace corvane

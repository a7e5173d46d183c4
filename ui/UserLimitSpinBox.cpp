#include "UserLimitSpinBox.h"

#include <QKeyEvent>

#include <limits>

namespace corvane {

UserLimitSpinBox::UserLimitSpinBox(int arrowMaximum, QWidget* parent)
    : QSpinBox(parent), m_arrowMaximum(arrowMaximum) {
    setRange(-1, std::numeric_limits<int>::max());
    setValue(-1);
    setWrapping(false);
    setGroupSeparatorShown(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

QValidator::State UserLimitSpinBox::validate(QString& text, int& pos) const {
    if (text == QLatin1String("-1"))
        return QValidator::Acceptable;
    // What is left of "-1" while it is being edited ("-", "-12"): not a value yet, and put
    // back to the previous value if editing ends there.
    if (text.startsWith(QLatin1Char('-'))) {
        for (qsizetype i = 1; i < text.size(); ++i)
            if (!text[i].isDigit())
                return QValidator::Invalid;
        return QValidator::Intermediate;
    }
    for (const QChar c : text)
        if (!c.isDigit())
            return QValidator::Invalid;
    return QSpinBox::validate(text, pos);
}

void UserLimitSpinBox::stepBy(int steps) {
    const long long wanted = static_cast<long long>(value()) + steps;
    if (steps > 0 && wanted > m_arrowMaximum) {
        // Up from a typed number beyond the arrows' end leaves it as it is.
        if (value() < m_arrowMaximum)
            setValue(m_arrowMaximum);
        return;
    }
    QSpinBox::stepBy(steps);
}

QAbstractSpinBox::StepEnabled UserLimitSpinBox::stepEnabled() const {
    StepEnabled enabled = QSpinBox::stepEnabled();
    if (value() >= m_arrowMaximum)
        enabled &= ~StepUpEnabled;
    return enabled;
}

void UserLimitSpinBox::keyPressEvent(QKeyEvent* event) {
    // Only digits are typed; -1 comes from the arrows.
    if (event->text() == QLatin1String("-")) {
        event->ignore();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

} // namespace corvane

#include "UserLimitSpinBox.h"

#include <QKeyEvent>

namespace corvane {

UserLimitSpinBox::UserLimitSpinBox(int maximum, QWidget* parent) : QSpinBox(parent) {
    setRange(-1, maximum);
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

void UserLimitSpinBox::keyPressEvent(QKeyEvent* event) {
    // Only digits are typed; -1 comes from the arrows.
    if (event->text() == QLatin1String("-")) {
        event->ignore();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

} // namespace corvane

#include "UserLimitSpinBox.h"

namespace corvane {

UserLimitSpinBox::UserLimitSpinBox(int maximum, QWidget* parent) : QSpinBox(parent) {
    setRange(-1, maximum);
    setValue(-1);
    setWrapping(false);
    setGroupSeparatorShown(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

QValidator::State UserLimitSpinBox::validate(QString& text, int& pos) const {
    // "-1" as the box shows it is fine; a minus typed anywhere else is refused.
    if (text == QLatin1String("-1"))
        return QValidator::Acceptable;
    for (const QChar c : text)
        if (!c.isDigit())
            return QValidator::Invalid;
    return QSpinBox::validate(text, pos);
}

} // namespace corvane

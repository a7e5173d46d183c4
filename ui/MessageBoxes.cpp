#include "MessageBoxes.h"

#include "BusyCursor.h"

#include <QInputDialog>
#include <QMessageBox>

namespace corvane {

MessageBoxes::Answer QtMessageBoxes::show(QWidget* owner, const QString& title, const QString& text,
                                          Icon icon, Buttons buttons) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::NoIcon:
        break;
    case Icon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case Icon::Error:
        qtIcon = QMessageBox::Critical;
        break;
    case Icon::Question:
        qtIcon = QMessageBox::Question;
        break;
    }
    const auto qtButtons =
        buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    QMessageBox box(qtIcon, title, text, qtButtons, owner);
    // Enter gives the first button, Escape the last (OK alone, or No).
    box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    box.setEscapeButton(buttons == Buttons::YesNo ? QMessageBox::No : QMessageBox::Ok);
    const NormalCursor pointer;
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<QString> QtMessageBoxes::getText(QWidget* owner, const QString& title,
                                               const QString& prompt) {
    bool ok = false;
    const NormalCursor pointer;
    const QString text = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, {}, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace corvane

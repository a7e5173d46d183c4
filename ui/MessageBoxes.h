#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace corvane {

// The one seam through which the program shows message boxes and asks for a line of text, so
// that tests can script the answers. The program uses QtMessageBoxes.
class MessageBoxes {
public:
    enum class Icon { NoIcon, Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBoxes() = default;
    virtual Answer show(QWidget* owner, const QString& title, const QString& text, Icon icon,
                        Buttons buttons) = 0;
    // The toolkit's input dialog; nullopt when cancelled.
    virtual std::optional<QString> getText(QWidget* owner, const QString& title,
                                           const QString& prompt) = 0;

    // "ERROR", error icon, OK.
    void error(QWidget* owner, const QString& text) {
        show(owner, QStringLiteral("ERROR"), text, Icon::Error, Buttons::Ok);
    }
    // An error inside a walk over several items: Yes goes on, No stops.
    bool errorGoOn(QWidget* owner, const QString& text,
                   const QString& title = QStringLiteral("ERROR")) {
        return show(owner, title, text, Icon::Error, Buttons::YesNo) == Answer::Yes;
    }
    // A confirmation: empty title, question icon, Yes/No.
    bool confirm(QWidget* owner, const QString& text) {
        return show(owner, QString(), text, Icon::Question, Buttons::YesNo) == Answer::Yes;
    }
};

class QtMessageBoxes : public MessageBoxes {
public:
    Answer show(QWidget* owner, const QString& title, const QString& text, Icon icon,
                Buttons buttons) override;
    std::optional<QString> getText(QWidget* owner, const QString& title,
                                   const QString& prompt) override;
};

} // namespace corvane

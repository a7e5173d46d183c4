#pragma once

#include "ui/MessageBoxes.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

namespace corvane::test {

// Message boxes for tests: records what would have been shown and answers from a script.
// Yes/No boxes take the next queued answer (Yes when the queue is empty); text prompts take
// the next queued text (cancelled when the queue is empty).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Answer show(QWidget*, const QString& title, const QString& text, Icon icon,
                Buttons buttons) override {
        shown.append({title, text, icon, buttons});
        if (onShow)
            onShow(shown.last());
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return answers.isEmpty() ? Answer::Yes : answers.dequeue();
    }
    std::optional<QString> getText(QWidget*, const QString& title, const QString& prompt) override {
        prompts.append({title, prompt, Icon::NoIcon, Buttons::Ok});
        if (texts.isEmpty())
            return std::nullopt;
        return texts.dequeue();
    }

    QStringList texts_shown() const {
        QStringList out;
        for (const auto& s : shown)
            out << s.text;
        return out;
    }

    QList<Shown> shown;
    QList<Shown> prompts;
    QQueue<Answer> answers;
    QQueue<std::optional<QString>> texts;
    std::function<void(const Shown&)> onShow; // e.g. to act while a box is up
};

} // namespace corvane::test

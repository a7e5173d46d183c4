#include "ConnectAsForm1.h"

#include "platform/LogonName.h"
#include "ui/BusyCursor.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

namespace corvane {

ConnectAsForm1::ConnectAsForm1(QWidget* parent) : QDialog(parent) {
    setObjectName("ConnectAsForm1");
    setWindowTitle("Connect as");
    setModal(true);

    Message1 = new QLabel(this);
    Message1->setObjectName("Message1");
    Message1->setWordWrap(true);
    UserName1 = new QLineEdit(this);
    UserName1->setObjectName("UserName1");
    Domain1 = new QLineEdit(this);
    Domain1->setObjectName("Domain1");
    Password1 = new QLineEdit(this);
    Password1->setObjectName("Password1");
    Password1->setEchoMode(QLineEdit::Password);
    Ok1 = new QPushButton("OK", this);
    Ok1->setObjectName("Ok1");
    Ok1->setDefault(true);
    Cancel1 = new QPushButton("Cancel", this);
    Cancel1->setObjectName("Cancel1");

    auto* fields = new QFormLayout;
    fields->addRow("&User name:", UserName1);
    fields->addRow("&Domain:", Domain1);
    fields->addRow("&Password:", Password1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok1);
    buttons->addWidget(Cancel1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Message1);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(Ok1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel1, &QPushButton::clicked, this, &QDialog::reject);
}

QString ConnectAsForm1::messageText(const QString& server, const QString& failure) {
    const QString question = QString("Connect to %1 as:").arg(server);
    if (failure.isEmpty())
        return question;
    return failure + "\n" + question;
}

std::optional<Credentials> ConnectAsForm1::ask(const QString& server, const QString& failure) {
    Message1->setText(messageText(server, failure));
    Password1->clear();
    (UserName1->text().isEmpty() ? UserName1 : Password1)->setFocus();
    // A call that asks may run under the busy cursor; the dialog needs the ordinary one.
    const NormalCursor pointer;
    const int result = exec();
    std::optional<Credentials> answer;
    // The only copy of the typed password left once the box is emptied; overwritten below.
    QString password = Password1->text();
    Password1->setText(QString()); // also drops the box's undo history
    if (result == QDialog::Accepted) {
        answer.emplace();
        // DOMAIN\user and user@realm carry their own domain.
        std::tie(answer->user, answer->domain) =
            splitLogonName(UserName1->text().toStdU16String(), Domain1->text().toStdU16String());
        // The one buffer the password travels in from here on, moved and never copied.
        answer->password =
            Secret(std::u16string_view(reinterpret_cast<const char16_t*>(password.constData()),
                                       static_cast<std::size_t>(password.size())));
    }
    password.fill(QChar(u'\0')); // sole owner now: fills in place
    return answer;
}

std::optional<Credentials> ConnectAsCredentials::credentialsFor(const std::u16string& server,
                                                                const std::u16string& failure) {
    auto answer = m_form.ask(QString::fromStdU16String(server), QString::fromStdU16String(failure));
    if (!answer)
        ++m_cancels;
    return answer;
}

} // namespace corvane

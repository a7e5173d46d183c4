#pragma once

#include "platform/CredentialProvider.h"

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

// "Connect as": asks for the logon to one server. Answers live only in memory; the password
// field is emptied after each question.
class ConnectAsForm1 : public QDialog {
    Q_OBJECT
public:
    explicit ConnectAsForm1(QWidget* parent = nullptr);

    // Shows the dialog modally for `server`; `failure`, when not empty, says why it asks
    // again. Returns nothing on Cancel.
    std::optional<Credentials> ask(const QString& server, const QString& failure);

    // The text above the fields for a server and a failure reason.
    static QString messageText(const QString& server, const QString& failure);

    QLabel* Message1 = nullptr;
    QLineEdit* UserName1 = nullptr;
    QLineEdit* Domain1 = nullptr;
    QLineEdit* Password1 = nullptr;
    QPushButton* Ok1 = nullptr;
    QPushButton* Cancel1 = nullptr;
};

// The SMB backend's credential provider, answered by the dialog.
class ConnectAsCredentials : public CredentialProvider {
public:
    explicit ConnectAsCredentials(ConnectAsForm1& form) : m_form(form) {}
    std::optional<Credentials> credentialsFor(const std::u16string& server,
                                              const std::u16string& failure) override;
    // How many questions were answered with Cancel so far (asked on the user-interface thread).
    int cancels() const { return m_cancels; }

private:
    ConnectAsForm1& m_form;
    int m_cancels = 0;
};

} // namespace corvane

#include "PreferencesForm1.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

PreferencesForm1::PreferencesForm1(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PreferencesForm1"));
    setWindowTitle(QStringLiteral("Preferences"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Every connection is signed. Servers allowed to "
                                            "connect &without signing (one per line):"),
                             this);
    label->setWordWrap(true);
    layout->addWidget(label);
    UnsignedServers1 = new QPlainTextEdit(this);
    UnsignedServers1->setObjectName(QStringLiteral("UnsignedServers1"));
    UnsignedServers1->setTabChangesFocus(true);
    label->setBuddy(UnsignedServers1);
    layout->addWidget(UnsignedServers1);
    RequireEncryption1 = new QCheckBox(QStringLiteral("Require &encryption"), this);
    RequireEncryption1->setObjectName(QStringLiteral("RequireEncryption1"));
    RequireEncryption1->setToolTip(
        QStringLiteral("Every connection encrypted; a server without SMB3 encryption is refused."));
    layout->addWidget(RequireEncryption1);
    NeverNtlm1 = new QCheckBox(QStringLiteral("Never use &NTLM"), this);
    NeverNtlm1->setObjectName(QStringLiteral("NeverNtlm1"));
    NeverNtlm1->setToolTip(QStringLiteral(
        "Kerberos only: no password logon; a server opened by its address is refused."));
    layout->addWidget(NeverNtlm1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Ok1 = new QPushButton(QStringLiteral("OK"), this);
    Ok1->setObjectName(QStringLiteral("Ok1"));
    Ok1->setDefault(true);
    Cancel1 = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel1->setObjectName(QStringLiteral("Cancel1"));
    buttons->addWidget(Ok1);
    buttons->addWidget(Cancel1);
    layout->addLayout(buttons);
    connect(Ok1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void PreferencesForm1::setPreferences(const Preferences& preferences) {
    UnsignedServers1->setPlainText(preferences.unsignedServers.join(QLatin1Char('\n')));
    RequireEncryption1->setChecked(preferences.requireEncryption);
    NeverNtlm1->setChecked(preferences.neverNtlm);
}

Preferences PreferencesForm1::preferences() const {
    Preferences p;
    p.unsignedServers = parseServerList(UnsignedServers1->toPlainText());
    p.requireEncryption = RequireEncryption1->isChecked();
    p.neverNtlm = NeverNtlm1->isChecked();
    return p;
}

} // namespace corvane

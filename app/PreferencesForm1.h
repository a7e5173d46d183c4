#pragma once

#include "Preferences.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace corvane {

// Preferences: the servers allowed to connect without signing, encryption required, NTLM never
// used.
class PreferencesForm1 : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesForm1(QWidget* parent = nullptr);

    void setPreferences(const Preferences& preferences);
    Preferences preferences() const;

    QPlainTextEdit* UnsignedServers1 = nullptr;
    QCheckBox* RequireEncryption1 = nullptr;
    QCheckBox* NeverNtlm1 = nullptr;
    QPushButton* Ok1 = nullptr;
    QPushButton* Cancel1 = nullptr;
};

} // namespace corvane

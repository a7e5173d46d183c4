#pragma once

#include "platform/smb/SmbOptions.h"
#include "ui/ServerList.h"

#include <QString>
#include <QStringList>

class QSettings;

namespace corvane {

// How the program secures its connections, kept per user. By default every connection is
// signed, as current Windows clients require.
struct Preferences {
    QStringList unsignedServers; // may connect without signing
    bool requireEncryption = false;
    bool neverNtlm = false; // Kerberos only
    bool operator==(const Preferences&) const = default;
};

Preferences loadPreferences(QSettings& settings);
void savePreferences(QSettings& settings, const Preferences& preferences);

// The connection options the preferences give.
void applyPreferences(const Preferences& preferences, smb::SmbOptions& options);

} // namespace corvane

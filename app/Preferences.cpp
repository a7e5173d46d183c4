#include "Preferences.h"

#include <QSettings>

namespace corvane {

namespace {
const QString UnsignedKey = QStringLiteral("connections/unsignedServers");
const QString EncryptionKey = QStringLiteral("connections/requireEncryption");
const QString NtlmKey = QStringLiteral("connections/neverNtlm");
} // namespace

Preferences loadPreferences(QSettings& settings) {
    Preferences p;
    p.unsignedServers = parseServerList(settings.value(UnsignedKey).toStringList().join('\n'));
    p.requireEncryption = settings.value(EncryptionKey, false).toBool();
    p.neverNtlm = settings.value(NtlmKey, false).toBool();
    return p;
}

void savePreferences(QSettings& settings, const Preferences& preferences) {
    settings.setValue(UnsignedKey, preferences.unsignedServers);
    settings.setValue(EncryptionKey, preferences.requireEncryption);
    settings.setValue(NtlmKey, preferences.neverNtlm);
}

void applyPreferences(const Preferences& preferences, smb::SmbOptions& options) {
    options.security.requireSigning = true;
    options.security.requireEncryption = preferences.requireEncryption;
    options.security.kerberosOnly = preferences.neverNtlm;
    options.unsignedAllowed.clear();
    for (const QString& name : preferences.unsignedServers)
        options.unsignedAllowed.push_back(name.toStdU16String());
}

} // namespace corvane

#pragma once

#include "platform/CredentialProvider.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane::cli {

// What the command line asks for, or why it cannot be run.
struct Command {
    enum class Kind { Help, Version, List, Export, Inventory };
    Kind kind = Kind::Help;
    QStringList servers;
    QString serversFile;
    QString file; // export: the share file to write
    bool all = false;
    int jobs = 8;
    QString baseline;
    QString format; // "csv", "json", or empty: by the output's name, else CSV
    QString output; // empty: standard output
    QString authenticationFile;
    QString usageError; // not empty: exit status 2
};
Command parseCommandLine(const QStringList& arguments);

// An authentication file as Samba's tools read it: "username = ...", "password = ...",
// "domain = ..." lines; blank lines and lines starting with # or ; are left out. The user may
// also be written DOMAIN\user or user@realm. Nothing, with the reason, for anything else.
struct AuthenticationFile {
    std::optional<Credentials> logon;
    QString error;
};
AuthenticationFile readAuthenticationFile(const QString& fileName);

QString usageText();

} // namespace corvane::cli

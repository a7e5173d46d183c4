#pragma once

#include <QString>

// Every text the users list and permission panel show in their boxes and prompts. The texts of
// the default access list (AclBuilding) stay with that Qt-free unit.
namespace corvane::security_text {

inline QString addUserTitle() {
    return QStringLiteral("Username...");
}
inline QString addUserPrompt() {
    return QStringLiteral("Please enter the username you wish to add.");
}
inline QString userNotFound() {
    return QStringLiteral("Could not find user on system!");
}
inline QString userAlreadyPresent() {
    return QStringLiteral("Username is already present!");
}
inline QString userNotAdded() {
    return QStringLiteral("Could not add user to list!");
}
inline QString lastUserStays() {
    return QStringLiteral("At least one user MUST exist!");
}
inline QString noSecurityList() {
    return QStringLiteral("Could not retrieve information about security list!");
}
inline QString noUserInList() {
    return QStringLiteral("Could not find any user in security list!");
}
inline QString userNotRemoved() {
    return QStringLiteral("Could not remove user from security list!");
}

} // namespace corvane::security_text

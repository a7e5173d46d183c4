#pragma once

#include "platform/ShareService.h"

#include <QString>

// Every text the copy and create pages show in their message boxes. Built the one way the
// program builds texts (see maintenance/Messages.h).
namespace corvane::bulk_text {

// Copying shares from another computer.
inline QString noDestinationParent() {
    return QStringLiteral("No parent directory specified for destination computer!");
}
// A path that would put the copy somewhere other than below the destination parent.
inline QString destinationParentFlawed(const QString& parent, const QString& flaw) {
    return QStringLiteral("The destination parent directory %1 holds \"%2\": no share would end "
                          "up below it.")
        .arg(parent, flaw);
}
inline QString copySourcePathFlawed(const QString& shareName, const QString& path,
                                    const QString& flaw) {
    return QStringLiteral("The share %1 was not copied: its path %2 holds \"%3\", so the copy "
                          "would not end up below the destination parent directory.")
        .arg(shareName, path, flaw);
}
inline QString copyCreationFailed(Status status, const QString& shareName) {
    return QStringLiteral("A system error has occured (%1) while\ncreating the share %2.")
        .arg(QString::number(status), shareName);
}
// An addition the server did not answer, even when asked again.
inline QString copyCreationUnanswered(Status status, const QString& shareName) {
    return QStringLiteral("The server did not answer (%1) whether\nthe share %2 was created; it "
                          "may be there.")
        .arg(QString::number(status), shareName);
}

// Creating shares from directories. The questions go on with the next directory on Yes.
inline QString noPath() {
    return QStringLiteral("Could not retrieve path!");
}
inline QString noSecurityList() {
    return QStringLiteral("A system error has occured. Could not assign security list to "
                          "share.\nThe share has not been created. Continue?");
}
inline QString accountNotFound() {
    return QStringLiteral("A system error has occured. Could not find user on network.\nThe share "
                          "has not been created. Continue?");
}
inline QString entryNotAdded() {
    return QStringLiteral("Could not add directory name as user to share!\nThe share has not been "
                          "created. Continue?");
}
inline QString creationUnanswered(Status status) {
    return QStringLiteral("The server did not answer (%1).\nThe share may have been created. "
                          "Continue?")
        .arg(QString::number(status));
}
inline QString creationFailed(Status status) {
    return QStringLiteral("A system error has occured (%1).\nCould not create share. Continue?")
        .arg(QString::number(status));
}

} // namespace corvane::bulk_text

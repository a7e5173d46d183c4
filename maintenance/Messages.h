#pragma once

#include "platform/ShareService.h"

#include <QString>

#include <string>

// Every text the share maintenance shows: its message boxes, Apply's refusals and the find and
// replace dialog's status lines. Each is built here, the one way the program builds texts: a
// literal with numbered arguments filled in one pass, so a name holding "%1" stays as it is.
namespace corvane::maintenance_text {

// Delete and hide.
inline QString confirmDelete() {
    return QStringLiteral("Are you sure you would like to delete the selected share(s)?");
}
inline QString confirmHide() {
    return QStringLiteral("Are you sure you would like to hide the selected share(s)?");
}
inline QString removalFailed(const QString& shareName, Status status) {
    return QStringLiteral("Could not remove old share %1(%2).\nContinue?")
        .arg(shareName, QString::number(status));
}
// A removal or addition the server did not answer, even when asked again.
inline QString removalUnanswered(const QString& shareName, Status status) {
    return QStringLiteral("The server did not answer whether share %1 was removed (%2); it may "
                          "still be there.\nContinue?")
        .arg(shareName, QString::number(status));
}
inline QString hiddenCreationUnanswered(const QString& hiddenName, const QString& shareName,
                                        Status status) {
    return QStringLiteral("The server did not answer whether hidden share %1 was created (%2); "
                          "%3 stays as it was.\nContinue?")
        .arg(hiddenName, QString::number(status), shareName);
}
inline QString hiddenCreationFailed(const QString& shareName, Status status) {
    return QStringLiteral("Could not create hidden share %1(%2).\nContinue?")
        .arg(shareName, QString::number(status));
}

// Apply on the Share Properties page.
inline QString emptyShareName() {
    return QStringLiteral("The share name must not be empty.");
}
inline QString emptyLocalPath() {
    return QStringLiteral("The local path must not be empty.");
}
// The first call of a re-creation failed and nothing changed.
inline QString applyUntouched(Status status) {
    return QStringLiteral("Could not update share(%1)").arg(QString::number(status));
}
inline QString applyFailed(Status status) {
    return QStringLiteral("Could not update share(%1).").arg(QString::number(status));
}
// `consequence`: what the failed re-creation left behind.
inline QString applyFailedLeaving(Status status, const QString& consequence) {
    return QStringLiteral("Could not update share(%1).\n%2")
        .arg(QString::number(status), consequence);
}
inline QString defaultShareReadOnly() {
    return QStringLiteral("Cannot modify a default share.");
}

// The find and replace dialog.
inline QString noFindText() {
    return QStringLiteral("No find text specified!");
}
inline QString noReplacementText() {
    return QStringLiteral("No replaced text specified!");
}
inline QString notFoundLine(const QString& shareName, const QString& find) {
    return QStringLiteral("%1: Could not find \"%2\".").arg(shareName, find);
}
inline QString replacedLine(const QString& shareName, const QString& oldValue,
                            const QString& newValue) {
    return QStringLiteral("%1: Replaced \"%2\" with \"%3\" successfully.")
        .arg(shareName, oldValue, newValue);
}

} // namespace corvane::maintenance_text

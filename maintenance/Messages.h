#pragma once

#include "platform/ShareService.h"
#include "shares/RecreateShare.h"

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

// The selected share could not be fetched (hide, the Share Properties page).
inline QString selectedFetchFailed(Status status) {
    return QStringLiteral("A system error has occured (%1) while\nrequesting information about "
                          "the share.")
        .arg(QString::number(status));
}

// A walk over several shares (find and replace, import). The update failure is
// "Could not update share {name}({error}).\n" followed by `consequence`, naming the share since
// the walk goes over many.
inline QString updateFailed(const QString& shareName, Status status, const QString& consequence) {
    return QStringLiteral("Could not update share %1(%2).\n%3")
        .arg(shareName, QString::number(status), consequence);
}
inline QString goOnQuestion() {
    return QStringLiteral("Continue?");
}
inline QString goOnAfter(const QString& consequence) {
    return QStringLiteral("%1\nContinue?").arg(consequence);
}
inline QString fetchFailed(const QString& shareName, Status status) {
    return QStringLiteral("A system error occured (%1)\nwhile requesting information about the "
                          "share %2.")
        .arg(QString::number(status), shareName);
}

// What a failed re-creation left behind.
// The line after "Could not update share({error})." when the addition failed: whether the
// original share came back. Apply, find and replace and import word it the same way.
inline QString additionFailureConsequence(RecreateResult::Outcome outcome) {
    switch (outcome) {
    case RecreateResult::Outcome::AdditionFailedRestored:
        return QStringLiteral("The original share has been restored.");
    case RecreateResult::Outcome::Unanswered:
        return QStringLiteral(
            "The server did not answer, even when asked again; the share may be gone.");
    default:
        return QStringLiteral("The share had to be deleted.");
    }
}
// A renamed share is there under both names; `status` is the failed removal's, after which the
// old name may be gone after all.
inline QString bothNamesConsequence(const std::u16string& oldName, const std::u16string& newName,
                                    Status status) {
    const QString format = answerMayBeLost(status)
                               ? QStringLiteral("It is now there as %2, and perhaps still as %1.")
                               : QStringLiteral("It is now there under both names, %1 and %2.");
    return format.arg(QString::fromStdU16String(oldName), QString::fromStdU16String(newName));
}

// A rename whose addition went unanswered: the old share stays, the new one may be there too.
inline QString newNameUnansweredConsequence(const std::u16string& oldName,
                                            const std::u16string& newName) {
    return QStringLiteral("It is still there as %1, and perhaps also as %2.")
        .arg(QString::fromStdU16String(oldName), QString::fromStdU16String(newName));
}
// What a rename left behind when it did not end as asked.
inline QString renameConsequence(RecreateResult::Outcome outcome, const std::u16string& oldName,
                                 const std::u16string& newName, Status status) {
    return outcome == RecreateResult::Outcome::NewNameUnanswered
               ? newNameUnansweredConsequence(oldName, newName)
               : bothNamesConsequence(oldName, newName, status);
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

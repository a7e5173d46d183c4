#pragma once

#include "RecreateShare.h"
#include "platform/Status.h"

#include <QString>

#include <chrono>
#include <string>

// The texts of the status line that says how an open, and any wait without a box of its own,
// ended; and what every page and walk says of a share it could not read or change. Built as every
// text here is: a literal with numbered arguments filled in one pass.
namespace corvane::shares_text {

// What was being done when a call failed, as far as its status tells.
enum class Step { Connecting, LoggingOn, Listing, ReadingAnswer };
Step failedStep(Status failure);

// The reason in words with its number: "did not answer within 20 s (121)". `bound` is the
// wait that ended a silent call.
QString reasonInWords(Status failure, std::chrono::milliseconds bound);

// "12 shares on fileserver1", "No shares on fileserver1".
QString sharesListed(const QString& server, int count);
// "Opening fileserver1 failed while connecting: did not answer within 20 s (121)".
QString openFailed(const QString& server, Status failure, std::chrono::milliseconds bound);
QString logonCancelled(const QString& server);
// A wait the user ended with the wait panel's Cancel; `work` is what the panel said.
QString waitCancelled(const QString& work);
// What a walk over many shares does, as the wait panel shows it with its count.
inline QString deletingShares(const QString& server) {
    return QStringLiteral("Deleting shares on %1").arg(server);
}
inline QString hidingShares(const QString& server) {
    return QStringLiteral("Hiding shares on %1").arg(server);
}
inline QString replacingText(const QString& server) {
    return QStringLiteral("Replacing text in shares on %1").arg(server);
}
inline QString copyingShares(const QString& from, const QString& to) {
    return QStringLiteral("Copying shares from %1 to %2").arg(from, to);
}
inline QString creatingShares(const QString& server) {
    return QStringLiteral("Creating shares on %1").arg(server);
}
inline QString importingShares(const QString& server) {
    return QStringLiteral("Importing shares to %1").arg(server);
}
// A wait without a box of its own that ended before its work was done.
QString endedEarly(const QString& work, Status failure, std::chrono::milliseconds bound);
inline QString readingDriveShares(const QString& server) {
    return QStringLiteral("The drive tree of %1 may lack drives: reading its drive shares")
        .arg(server);
}
// A walk stopped between two shares: `done` of `total` handled.
QString walkStopped(const QString& work, int done, int total);

// A share could not be fetched: "A system error has occured (5) while\nrequesting information
// about the share Data."; without a name (the selected share) "... about the share.".
QString fetchFailed(Status status, const QString& shareName = {});
// The same failure met by a walk over many shares (find and replace, export, import), worded
// as that dialog words it: "A system error occured (2310)\nwhile requesting information about
// the share Data."
QString walkFetchFailed(Status status, const QString& shareName);

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

} // namespace corvane::shares_text

#pragma once

#include "platform/Status.h"

#include <QString>

#include <chrono>

// The texts of the status line that says how an open, and any wait without a box of its own,
// ended. Built as every text here is: a literal with numbered arguments filled in one pass.
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

} // namespace corvane::shares_text

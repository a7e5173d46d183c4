#pragma once

#include "JournalFormat.h"
#include "platform/Status.h"

#include <QString>

// Every text of the change journal: why a change could not be recorded, the status-line notes
// of an open, the recovery dialog's lines and its walk's reports.
namespace corvane::journal_text {

inline QString writeFailed(const QString& path, const QString& reason) {
    return QStringLiteral("The change journal %1 could not be written: %2.").arg(path, reason);
}
inline QString noDirectory(const QString& directory) {
    return QStringLiteral("its folder %1 could not be made").arg(directory);
}
inline QString journalFull() {
    return QStringLiteral("it is full of changes that were never finished");
}
inline QString recordTooLarge() {
    return QStringLiteral("the share's record is too large for it");
}

// A destructive step that did not go out because its journal entry could not be written.
inline QString changeNotRecorded(const QString& shareName, const QString& error) {
    return QStringLiteral("Share %1 was left as it was: its change could not be recorded before "
                          "it was sent.\n%2")
        .arg(shareName, error);
}

// Status-line notes of an open.
inline QString tornLineSkipped(const QString& server) {
    return QStringLiteral("The change journal of %1 ended in a line cut short, which was skipped.")
        .arg(server);
}
inline QString linesSkipped(const QString& server, int count) {
    return QStringLiteral("%1 unreadable line(s) of the change journal of %2 were skipped.")
        .arg(QString::number(count), server);
}
inline QString tooLargeToRead(const QString& server, const QString& path) {
    return QStringLiteral("The change journal of %1 (%2) is too large to read; it was left as it "
                          "is.")
        .arg(server, path);
}
inline QString readFailed(const QString& server, const QString& path, const QString& reason) {
    return QStringLiteral("The change journal of %1 (%2) could not be read: %3.")
        .arg(server, path, reason);
}
inline QString restoredNote(int count, const QString& server) {
    return QStringLiteral("%1 share(s) of %2 restored from the change journal.")
        .arg(QString::number(count), server);
}

// The recovery dialog.
inline QString recoverIntro(const QString& server) {
    return QStringLiteral("These shares of %1 were being changed when Corvane last stopped, and "
                          "the server has them under neither their old nor their new name.\n"
                          "The checked shares are added back as they were.")
        .arg(server);
}
inline QString whatWasDone(const journal::Entry& e) {
    const QString oldName = QString::fromStdU16String(e.share.netname);
    const QString newName = QString::fromStdU16String(e.newName);
    const QString newPath = QString::fromStdU16String(e.newPath);
    switch (e.walk) {
    case journal::Walk::Hide:
        return QStringLiteral("Hide as %1").arg(newName);
    case journal::Walk::Delete:
        return QStringLiteral("Delete");
    default:
        break;
    }
    const QString walk = e.walk == journal::Walk::Import        ? QStringLiteral("Import")
                         : e.walk == journal::Walk::FindReplace ? QStringLiteral("Find and replace")
                                                                : QStringLiteral("Apply");
    if (newName != oldName && e.newPath != e.share.path)
        return QStringLiteral("%1: rename to %2, path %3").arg(walk, newName, newPath);
    if (newName != oldName)
        return QStringLiteral("%1: rename to %2").arg(walk, newName);
    if (e.newPath != e.share.path)
        return QStringLiteral("%1: path %2").arg(walk, newPath);
    return QStringLiteral("%1: change").arg(walk);
}
inline QString restoreFailed(const QString& shareName, Status status) {
    return QStringLiteral("Could not restore share %1(%2).\nIt stays in the change journal for the "
                          "next open.\nContinue?")
        .arg(shareName, QString::number(status));
}

// What a finish line says happened.
inline QString outcomeRestored() {
    return QStringLiteral("restored at open");
}
inline QString outcomePresent() {
    return QStringLiteral("found on the server at open");
}

} // namespace corvane::journal_text

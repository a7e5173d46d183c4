#pragma once

#include "platform/Status.h"
#include "shares/Messages.h"

#include <QString>
#include <QStringList>

#include <chrono>

// Every text of the inventory of servers and of the command line, built the one way the program
// builds texts (see maintenance/Messages.h).
namespace corvane::inventory_text {

// Why a server could not be scanned or read: the reason in words as the main window's status
// line gives it, `bound` being the wait that ended a silent call.
inline QString failureReason(corvane::Status status, std::chrono::milliseconds bound) {
    return corvane::shares_text::reasonInWords(status, bound);
}

// A server's state in the list of servers.
inline QString serverWaiting(const QString& server) {
    return QStringLiteral("%1: waiting").arg(server);
}
inline QString serverScanning(const QString& server) {
    return QStringLiteral("%1: scanning").arg(server);
}
inline QString serverDone(const QString& server, qsizetype shares) {
    return QStringLiteral("%1: done, %2 shares").arg(server, QString::number(shares));
}
inline QString serverFailed(const QString& server, corvane::Status status,
                            std::chrono::milliseconds bound) {
    return QStringLiteral("%1: failed, %2").arg(server, failureReason(status, bound));
}
inline QString serverCancelled(const QString& server) {
    return QStringLiteral("%1: cancelled").arg(server);
}

// The results' cells.
inline QString noLimit() {
    return QStringLiteral("No limit");
}
inline QString yes() {
    return QStringLiteral("yes");
}

inline QString everyone() {
    return QStringLiteral("Everyone");
}
inline QString nullListRights() {
    return QStringLiteral("Full Control (no access list)");
}
inline QString emptyList() {
    return QStringLiteral("(nobody: the access list is empty)");
}
inline QString noList() {
    return QStringLiteral("(no access list: the server's default)");
}

// The baseline column.
inline QString driftSame() {
    return QStringLiteral("same");
}
inline QString driftNew() {
    return QStringLiteral("new");
}
inline QString driftMissing() {
    return QStringLiteral("missing");
}
inline QString driftChanged(const QStringList& what) {
    return QStringLiteral("changed: %1").arg(what.join(QStringLiteral("; ")));
}
inline QString entryText(const QString& account, const QString& type, const QString& rights) {
    return QStringLiteral("%1 %2 %3").arg(account, type, rights);
}
inline QString entryChange(const QString& account, const QString& type, const QString& before,
                           const QString& now) {
    return QStringLiteral("%1 %2 %3 to %4").arg(account, type, before, now);
}
inline QString entriesAdded(const QStringList& entries) {
    return QStringLiteral("entries added: %1").arg(entries.join(QStringLiteral(", ")));
}
inline QString entriesRemoved(const QStringList& entries) {
    return QStringLiteral("entries removed: %1").arg(entries.join(QStringLiteral(", ")));
}
inline QString entriesChanged(const QStringList& entries) {
    return QStringLiteral("entries changed: %1").arg(entries.join(QStringLiteral(", ")));
}
inline QString baselineUnreadable(const QString& fileName, const QString& reason) {
    return QStringLiteral("Baseline %1 could not be read: %2").arg(fileName, reason);
}
inline QString baselineTooLarge() {
    return QStringLiteral("the file is too large");
}

// The command line's progress on a terminal.
inline QString progressLine(std::size_t done, std::size_t all) {
    return QStringLiteral("%1 of %2 servers done").arg(QString::number(done), QString::number(all));
}

// The summary above the results.
inline QString summaryTotals(qsizetype servers, int shares, int broadWrite) {
    return QStringLiteral("%1 servers, %2 shares, %3 with broad write access")
        .arg(QString::number(servers), QString::number(shares), QString::number(broadWrite));
}
inline QString summaryBar(int shares, int broadWrite) {
    return QStringLiteral("%1 / %2").arg(QString::number(broadWrite), QString::number(shares));
}

// The window's note and boxes.
inline QString membershipsNotRead(const QString& account) {
    return QStringLiteral("Entries for %1, Everyone and Authenticated Users are shown. Press Enter "
                          "to read the groups %1 belongs to from each server.")
        .arg(account);
}
inline QString readingMemberships(const QString& account) {
    return QStringLiteral("Reading the groups %1 belongs to...").arg(account);
}
inline QString membershipsRead(const QString& account) {
    return QStringLiteral("Entries for %1, the groups each server reports it in, Everyone and "
                          "Authenticated Users are shown.")
        .arg(account);
}
inline QString membershipUnread(const QString& server, corvane::Status status,
                                std::chrono::milliseconds bound) {
    return QStringLiteral("%1 (%2)").arg(server, failureReason(status, bound));
}
inline QString membershipsPartlyRead(const QString& account, const QStringList& servers) {
    return QStringLiteral("Entries for %1, the groups each server reports it in, Everyone and "
                          "Authenticated Users are shown. The groups could not be read on: %2.")
        .arg(account, servers.join(QStringLiteral(", ")));
}
inline QString serversFileUnreadable(const QString& fileName, const QString& reason) {
    return QStringLiteral("The list of servers %1 could not be read: %2").arg(fileName, reason);
}
inline QString serversFileTooLarge() {
    return QStringLiteral("the file is too large");
}
inline QString exportFailed(const QString& fileName, const QString& reason) {
    return QStringLiteral("Could not write %1:\n%2").arg(fileName, reason);
}

} // namespace corvane::inventory_text

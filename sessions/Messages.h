#pragma once

#include "platform/SessionService.h"

#include <QString>
#include <QStringList>

// Every text the sessions window shows in its message boxes and its note line. Built the one way
// the program builds texts (see maintenance/Messages.h).
namespace corvane::sessions_text {

// The text of an error box: what failed, the status in parentheses, and for access denied
// that the account needs to be an administrator of `computer`.
inline QString failure(const QString& what, Status status, const QString& computer) {
    QString text = QStringLiteral("%1(%2)").arg(what, QString::number(status));
    if (status == status::AccessDenied)
        text += QStringLiteral("\nThe account needs to be an administrator of %1.").arg(computer);
    return text;
}
inline QString readSessionsFailed() {
    return QStringLiteral("Could not read the sessions");
}
inline QString readFilesFailed() {
    return QStringLiteral("Could not read the open files");
}
inline QString disconnectFailed(const QString& user, const QString& client) {
    return QStringLiteral("Could not disconnect %1 from %2").arg(user, client);
}
inline QString closeFailed(const QString& path) {
    return QStringLiteral("Could not close %1").arg(path);
}

// Why a selected session is not ended, one line per session.
inline QString ownSession(const QString& user, const QString& client) {
    return QStringLiteral("%1 from %2 is this program's own session: ending it would cut this "
                          "program off, and every other connection of %1 from %2 with it.")
        .arg(user, client);
}
inline QString sessionWithoutUser(const QString& client) {
    return QStringLiteral("The session from %1 has no user name: the server could take the "
                          "request for every user of %1, this program included.")
        .arg(client);
}
// Above those lines: "This session is not disconnected:" / "These 2 sessions are not ...".
inline QString notDisconnected(int count, const QStringList& reasons) {
    const QString head =
        count == 1
            ? QStringLiteral("This session is not disconnected:")
            : QStringLiteral("These %1 sessions are not disconnected:").arg(QString::number(count));
    return QStringLiteral("%1\n%2").arg(head, reasons.join(QChar(u'\n')));
}

// Files the user chose whose id the server now gives to another open: not closed.
inline QString noLongerOpenAsListed(const QStringList& paths) {
    if (paths.size() == 1)
        return QStringLiteral("%1 is no longer open as listed, so it was not closed. The list "
                              "has been read again.")
            .arg(paths.front());
    return QStringLiteral("%1 of the selected files are no longer open as listed, so they "
                          "were not closed:\n%2\nThe list has been read again.")
        .arg(QString::number(paths.size()), paths.join(QChar(u'\n')));
}

// "Disconnect the selected session?" / "Disconnect the 3 selected sessions?" and the same for
// closing files.
inline QString confirmDisconnect(int count) {
    if (count == 1)
        return QStringLiteral("Disconnect the selected session?");
    return QStringLiteral("Disconnect the %1 selected sessions?").arg(QString::number(count));
}
inline QString confirmClose(int count) {
    if (count == 1)
        return QStringLiteral("Close the selected file?");
    return QStringLiteral("Close the %1 selected files?").arg(QString::number(count));
}

// "1 of the selected sessions had already ended." etc.; empty for none.
inline QString goneSessions(int count) {
    if (count == 0)
        return {};
    return QStringLiteral("%1 of the selected sessions had already ended.")
        .arg(QString::number(count));
}
inline QString goneFiles(int count) {
    if (count == 0)
        return {};
    if (count == 1)
        return QStringLiteral("1 of the selected files was already closed.");
    return QStringLiteral("%1 of the selected files were already closed.")
        .arg(QString::number(count));
}

} // namespace corvane::sessions_text

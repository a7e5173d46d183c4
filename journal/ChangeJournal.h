#pragma once

#include "JournalDecisions.h"
#include "JournalFormat.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace corvane {

// The change journal on disk: one file per server in `directory`. An entry is on disk (written
// and synced, with the directory synced when the file is new) before begin() returns, so a
// share removed before a crash can be restored from it on the next open. All file access holds
// a lock on the directory, so two running programs do not mix their lines.
class ChangeJournal {
public:
    explicit ChangeJournal(QString directory, qint64 capBytes = journal::DefaultCapBytes);

    // $XDG_DATA_HOME/corvane/journal, or ~/.local/share/corvane/journal without it.
    static QString defaultDirectory();

    const QString& directory() const { return m_directory; }
    QString pathFor(const QString& server) const;

    struct Began {
        QString id;
        QString error; // why nothing was written; the change must not go out
        bool ok() const { return error.isEmpty(); }
    };
    // Records that `share` of `server` is about to be changed into `newName` at `newPath`.
    Began begin(const QString& server, journal::Walk walk, const ShareInfo502& share,
                const std::u16string& newName, const std::u16string& newPath);
    // Records that the server's state after the change is known; an error text when it could
    // not (the entry then stays open and the next open settles it against the server's list).
    QString finish(const QString& server, const QString& id, const QString& outcome);

    struct Opened {
        std::vector<journal::Entry> unfinished;
        QStringList notes; // for the status line: lines skipped, a journal that could not be read
    };
    // Reads the server's journal, drops what pruning and the skipped lines leave out, and
    // returns the entries still open.
    Opened open(const QString& server, const QDateTime& now);

private:
    QString appendLine(const QString& server, const QByteArray& line);

    QString m_directory;
    qint64 m_capBytes;
};

} // namespace corvane

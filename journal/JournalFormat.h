#pragma once

#include "platform/ShareInfo.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// The change journal's file: one file per server, one JSON object per line. A change appends
// an entry line before its first destructive call and a finish line once the server's state is
// known. Both are written whole with one write, so a crash leaves at most the last line torn.
namespace corvane::journal {

// Far beyond any real line or file: past these a file is broken or not ours.
inline constexpr qsizetype MaxLineBytes = qsizetype(1) << 20;
inline constexpr qsizetype MaxDescriptorBytes = qsizetype(256) << 10;
inline constexpr qint64 MaxReadBytes = qint64(16) << 20;

// The walk that was about to change the share.
enum class Walk { Apply, Hide, Delete, FindReplace, Import };

// One change: the share's whole record as it was before the first destructive call, and what
// it was to become.
struct Entry {
    QString id;
    QDateTime begun; // UTC
    QString server;  // normalised (normaliseServer)
    Walk walk = Walk::Apply;
    ShareInfo502 share;
    std::u16string newName;
    std::u16string newPath;
    std::optional<QDateTime> finished;
    QString outcome;
    // The lines as they were read or written, so that a rewrite keeps them byte for byte.
    QByteArray beginLine;
    QByteArray finishLine;
};

// The server's name as the user typed it, without the leading backslashes, surrounding
// blanks and letter case, which name the same computer.
QString normaliseServer(const QString& typed);

// The journal file's name for `server`: its normalised name with everything but lower-case
// letters, digits, '-', '_' and '.' escaped as %XX of its UTF-8 bytes, so any name is a safe
// file name; a very long name is shortened and made unique by a hash.
QString journalFileName(const QString& server);

// The entry's line with its newline; `entry.server` is written normalised.
QByteArray encodeEntry(const Entry& entry);
QByteArray encodeFinish(const QString& id, const QDateTime& when, const QString& outcome);

struct ReadResult {
    // In the order they were begun; each with its finish when one was read.
    std::vector<Entry> entries;
    // Lines that are not a well-formed entry or finish of this server, the torn one included.
    int unreadableLines = 0;
    // The file ends in a line without its newline that cannot be read: a write cut short.
    bool tornLastLine = false;
};

// Reads a journal file's bytes, keeping the entries of `server`. Unknown fields are ignored;
// a line that does not parse, lacks a field, holds a value out of range, repeats an entry or
// names another server is skipped and counted.
ReadResult readJournal(QByteArrayView bytes, const QString& server);

} // namespace corvane::journal

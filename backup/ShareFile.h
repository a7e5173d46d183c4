#pragma once

#include "platform/ShareInfo.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace corvane {

// The share file: the definitions of some shares of one computer, written by the export and
// read back by the import. Layout: docs/share-file-format.md.
inline constexpr int ShareFileVersion = 1;
// Anything larger is refused unread.
inline constexpr qint64 MaxShareFileSize = qint64(64) * 1024 * 1024;
// A file with more shares is refused: the preview reads each of them on the computer.
inline constexpr qsizetype MaxSharesPerFile = 10000;

// One access entry as a person reads it. The import checks its form only: what is applied is
// the descriptor itself.
struct ReadableEntry {
    std::optional<QString> account; // DOMAIN\name as resolved at export; none when unresolved
    std::optional<QString> sid;     // S-1-...; none for an entry that holds no SID
    QString type;                   // "Allow", "Deny", or the entry type in hex
    QString access;                 // "Full Control", "Change", "Read", or the mask in hex

    friend bool operator==(const ReadableEntry&, const ReadableEntry&) = default;
};

struct ExportedShare {
    // netname, type, remark, maxUses, path and securityDescriptor (empty: none) are kept; the
    // other fields are the server's and stay at their defaults.
    ShareInfo502 record;
    QList<ReadableEntry> entries;

    friend bool operator==(const ExportedShare&, const ExportedShare&) = default;
};

struct ShareFile {
    QString computer;
    QDateTime exported; // UTC
    std::vector<ExportedShare> shares;

    friend bool operator==(const ShareFile&, const ShareFile&) = default;
};

// UTF-8 JSON, indented.
QByteArray writeShareFile(const ShareFile& file);

// Reads a share file, checking every field; on any problem there is no file, only a message
// naming the problem (and the share, by position and name, it was found in), the lack of
// memory to read it included.
struct ShareFileReadResult {
    std::optional<ShareFile> file;
    QString error;
};
ShareFileReadResult readShareFile(QByteArrayView bytes);

} // namespace corvane

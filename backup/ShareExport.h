#pragma once

#include "ShareFile.h"
#include "platform/AccountService.h"

#include <QStringList>

#include <map>
#include <optional>
#include <span>
#include <string>

namespace corvane {

// The shares an export writes: the selected ones; with none selected, every listed share but
// IPC$ and the administrative shares, which are written only when selected.
QStringList sharesToExport(const QStringList& listed, const QStringList& selected);

// Account names already looked up during one export, by SID string; none for a SID that did
// not resolve. Most shares name the same few accounts.
using AccountNames = std::map<std::string, std::optional<QString>>;

// The entries of a descriptor's access list as a person reads them, accounts looked up on
// `computer` unless `known` has them. Empty for no descriptor or no list.
QList<ReadableEntry> readableEntries(AccountService& accounts, const std::u16string& computer,
                                     std::span<const std::uint8_t> descriptor, AccountNames& known);

// Writes `bytes` to `fileName` through a temporary file that then takes its name, so the file
// is either whole or as it was. Returns the reason on failure, else empty.
QString writeFileAtomically(const QString& fileName, const QByteArray& bytes);

} // namespace corvane

#pragma once

#include "backup/ShareFile.h"
#include "platform/AccountService.h"
#include "platform/SecurityDescriptor.h"
#include "platform/ShareService.h"
#include "ui/ServerList.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvane {

// One access entry of a scanned share: as the export writes it, with the mask it was read from.
struct InventoryEntry {
    ReadableEntry readable;
    std::uint8_t aceType = 0;
    std::uint32_t mask = 0;
    bool broadWrite = false;
};

struct InventoryShare {
    ShareInfo502 record; // netname, type, remark, maxUses, path, securityDescriptor
    // A null list gives everyone full access, which its one entry says; an absent one leaves
    // the server's default, an empty one lets nobody in: neither has entries.
    DaclState dacl = DaclState::Absent;
    std::vector<InventoryEntry> entries;
    QString
        drift; // against a baseline: "same", "new", "missing", "changed: ..."; empty without one
};

// What a scan of one server found; `status` is Success when every share was read.
struct ServerScan {
    QString server;
    Status status = status::Success;
    std::vector<InventoryShare> shares;
};

// Whether an entry lets one of the accounts most people hold (Everyone, Authenticated Users,
// Guests, Domain Users, Users) change what the share holds.
bool grantsBroadWrite(std::uint8_t aceType, const std::string& sid, std::uint32_t mask);

// Reads every share of `server` with its access entries, the accounts resolved on the server.
// Stops at the first failure, which the answer carries, or with Cancelled once `cancelled` is
// set.
ServerScan scanServer(ShareService& shares, AccountService& accounts, const QString& server,
                      const std::atomic<bool>* cancelled = nullptr);

// The rows of the results: one per share and access entry (a share without entries has one
// row whose account column says why).
enum class Column {
    Server,
    Share,
    Path,
    Comment,
    Limit,
    Account,
    Sid,
    Type,
    Rights,
    BroadWrite,
    Drift,
    Count
};
struct InventoryRow {
    QString cells[static_cast<int>(Column::Count)];
    bool broadWrite = false;
    std::string sid; // of the entry, for the account filter; empty for none
    QString share;   // the share's name, to open it in the main window
    const QString& cell(Column c) const { return cells[static_cast<int>(c)]; }
};
QString columnTitle(Column c);
std::vector<InventoryRow> inventoryRows(const std::vector<ServerScan>& scans);

// The whole results as a file: CSV (RFC 4180: every field quoted where it must be, CRLF
// line ends, UTF-8, a header row) or JSON (an array of objects keyed by column title).
QString csvField(const QString& value);
QByteArray toCsv(const std::vector<InventoryRow>& rows);
QByteArray toJson(const std::vector<InventoryRow>& rows);
// CSV unless the name ends in .json.
bool wantsJson(const QString& fileName);

// Baselines: share files as the export writes them, by computer (lower case).
struct Baselines {
    std::map<QString, ShareFile> byComputer;
    QStringList problems; // files that could not be read, each with its reason
};
// Share files, and every .json file of folders.
Baselines readBaselines(const QStringList& filesOrFolders);
// Marks every share of `scan` against `baseline` by the import preview's rules, and adds the
// shares of the baseline the server no longer has, marked missing.
void compareWithBaseline(ServerScan& scan, const ShareFile& baseline);
// The baseline for a scanned server: the one naming it, or the only one when only one server
// was scanned.
const ShareFile* baselineFor(const Baselines& baselines, const QString& server,
                             std::size_t scannedServers);

// The scans with every server that was read marked against its baseline.
std::vector<ServerScan> withDrift(const std::vector<ServerScan>& scans, const Baselines& baselines);

// The SIDs the account box keeps entries for: the typed account ("DOMAIN\\user", "user@realm"
// with the realm's first label standing for the domain, a bare user of any domain, letter case
// aside; or a SID), found among the accounts of `rows`, with Everyone and Authenticated Users.
// Nothing for an empty box: every entry stays.
std::optional<std::set<std::string>> accountFilter(const QString& typed,
                                                   const std::vector<InventoryRow>& rows);

// The name to look an account up by: "user@realm" as "REALM\\user" (the realm's first label
// standing for the domain), any other form as typed.
QString lookupNameOf(const QString& typed);

// Whether the account filter keeps a row: its entry's SID is among `sids` (accountFilter's), or
// among the SIDs its server reported for the account and its groups (`byServer`, by server name
// in lower case).
bool accountKeeps(const InventoryRow& row, const std::set<std::string>& sids,
                  const std::map<QString, std::set<std::string>>& byServer);

} // namespace corvane

#include "Inventory.h"

#include "Messages.h"
#include "backup/ImportPlan.h"
#include "backup/Messages.h"
#include "backup/ShareExport.h"
#include "platform/Acl.h"
#include "platform/SecurityDescriptor.h"
#include "shares/ShareChanges.h"
#include "ui/Text.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace corvane {

namespace text = inventory_text;

namespace {

// Rights that change what a share holds or who may: generic all and write, write and append
// data, delete a child or the object, change the access list or the owner.
constexpr std::uint32_t WriteRights = 0x10000000 | 0x40000000 | 0x00000002 | 0x00000004 |
                                      0x00000040 | 0x00010000 | 0x00040000 | 0x00080000;

bool isBroadAccount(const std::string& sid) {
    static const std::set<std::string> broad = {"S-1-1-0", "S-1-5-11", "S-1-5-32-545",
                                                "S-1-5-32-546"};
    if (broad.contains(sid))
        return true;
    // Domain Users: the domain's relative identifier 513.
    return sid.starts_with("S-1-5-21-") && sid.ends_with("-513") &&
           std::count(sid.begin(), sid.end(), '-') == 7;
}

QString limitText(std::uint32_t maxUses) {
    return maxUses == NoUserLimit ? text::noLimit() : QString::number(maxUses);
}

QString entryKey(const ReadableEntry& e) {
    return e.sid.value_or(e.account.value_or(QString())) + QLatin1Char('|') + e.type;
}

QString entryName(const ReadableEntry& e) {
    return e.account.value_or(e.sid.value_or(QString()));
}

// What changed in the entries, by account and type: "entries added: A; removed: B; changed: C".
QStringList entryDifferences(const QList<ReadableEntry>& before,
                             const std::vector<InventoryEntry>& now) {
    std::map<QString, const ReadableEntry*> old;
    for (const ReadableEntry& e : before)
        old.emplace(entryKey(e), &e);
    QStringList added, changed, removed;
    std::set<QString> seen;
    for (const InventoryEntry& e : now) {
        const QString key = entryKey(e.readable);
        seen.insert(key);
        const auto it = old.find(key);
        if (it == old.end())
            added << text::entryText(entryName(e.readable), e.readable.type, e.readable.access);
        else if (it->second->access != e.readable.access)
            changed << text::entryChange(entryName(e.readable), e.readable.type, it->second->access,
                                         e.readable.access);
    }
    for (const auto& [key, e] : old)
        if (!seen.contains(key))
            removed << text::entryText(entryName(*e), e->type, e->access);
    QStringList out;
    if (!added.isEmpty())
        out << text::entriesAdded(added);
    if (!removed.isEmpty())
        out << text::entriesRemoved(removed);
    if (!changed.isEmpty())
        out << text::entriesChanged(changed);
    return out;
}

} // namespace

bool grantsBroadWrite(std::uint8_t aceType, const std::string& sid, std::uint32_t mask) {
    return aceType == AccessAllowedAceType && (mask & WriteRights) != 0 && isBroadAccount(sid);
}

ServerScan scanServer(ShareService& shares, AccountService& accounts, const QString& server,
                      const std::atomic<bool>* cancelled) {
    ServerScan scan;
    scan.server = server;
    const std::u16string name = toU16(server);
    std::vector<ShareInfo502> records;
    std::uint32_t resume = 0;
    for (;;) {
        std::vector<ShareInfo502> part;
        const Status s = shares.enumerate(name, part, resume);
        if (s != status::Success && s != status::MoreData) {
            scan.status = s;
            return scan;
        }
        records.insert(records.end(), std::make_move_iterator(part.begin()),
                       std::make_move_iterator(part.end()));
        // A server that says "more" without moving on would keep the loop going for ever.
        if (s == status::Success || part.empty())
            break;
    }
    AccountNames known;
    for (ShareInfo502& record : records) {
        if (cancelled && *cancelled) {
            scan.status = status::Cancelled;
            scan.shares.clear();
            return scan;
        }
        InventoryShare share;
        share.record.netname = std::move(record.netname);
        share.record.type = record.type;
        share.record.remark = std::move(record.remark);
        share.record.maxUses = record.maxUses;
        share.record.path = std::move(record.path);
        share.record.securityDescriptor = std::move(record.securityDescriptor);
        const auto descriptor = SecurityDescriptor::parse(share.record.securityDescriptor);
        share.dacl = descriptor ? descriptor->daclState() : DaclState::Absent;
        if (share.dacl == DaclState::Null) {
            // No list at all: everyone may do everything.
            InventoryEntry everyone;
            everyone.readable = {text::everyone(), QStringLiteral("S-1-1-0"),
                                 QStringLiteral("Allow"), text::nullListRights()};
            everyone.aceType = AccessAllowedAceType;
            everyone.mask = 0x10000000; // generic all
            everyone.broadWrite = true;
            share.entries.push_back(std::move(everyone));
            scan.shares.push_back(std::move(share));
            continue;
        }
        const QList<ReadableEntry> readable =
            readableEntries(accounts, name, share.record.securityDescriptor, known);
        const std::optional<Acl> acl = daclOf(share.record.securityDescriptor);
        for (qsizetype i = 0; i < readable.size(); ++i) {
            InventoryEntry entry;
            entry.readable = readable[i];
            if (acl) {
                if (const std::optional<Ace> ace = acl->ace(static_cast<std::size_t>(i))) {
                    entry.aceType = ace->type;
                    entry.mask = ace->mask;
                }
            }
            entry.broadWrite = grantsBroadWrite(
                entry.aceType, entry.readable.sid.value_or(QString()).toStdString(), entry.mask);
            share.entries.push_back(std::move(entry));
        }
        scan.shares.push_back(std::move(share));
    }
    return scan;
}

QString columnTitle(Column c) {
    switch (c) {
    case Column::Server:
        return QStringLiteral("Server");
    case Column::Share:
        return QStringLiteral("Share");
    case Column::Path:
        return QStringLiteral("Path");
    case Column::Comment:
        return QStringLiteral("Comment");
    case Column::Limit:
        return QStringLiteral("User limit");
    case Column::Account:
        return QStringLiteral("Account");
    case Column::Sid:
        return QStringLiteral("SID");
    case Column::Type:
        return QStringLiteral("Allow/Deny");
    case Column::Rights:
        return QStringLiteral("Rights");
    case Column::BroadWrite:
        return QStringLiteral("Broad write");
    case Column::Drift:
        return QStringLiteral("Baseline");
    case Column::Count:
        break;
    }
    return {};
}

std::vector<InventoryRow> inventoryRows(const std::vector<ServerScan>& scans) {
    std::vector<InventoryRow> rows;
    for (const ServerScan& scan : scans) {
        for (const InventoryShare& share : scan.shares) {
            InventoryRow base;
            const auto set = [&base](Column c, QString value) {
                base.cells[static_cast<int>(c)] = std::move(value);
            };
            base.share = fromU16(share.record.netname);
            set(Column::Server, scan.server);
            set(Column::Share, base.share);
            set(Column::Path, fromU16(share.record.path));
            set(Column::Comment, fromU16(share.record.remark));
            set(Column::Limit, limitText(share.record.maxUses));
            set(Column::Drift, share.drift);
            if (share.entries.empty()) {
                set(Column::Account,
                    share.dacl == DaclState::Present ? text::emptyList() : text::noList());
                rows.push_back(base);
                continue;
            }
            for (const InventoryEntry& entry : share.entries) {
                InventoryRow row = base;
                const auto put = [&row](Column c, QString value) {
                    row.cells[static_cast<int>(c)] = std::move(value);
                };
                put(Column::Account, entry.readable.account.value_or(QString()));
                put(Column::Sid, entry.readable.sid.value_or(QString()));
                put(Column::Type, entry.readable.type);
                put(Column::Rights, entry.readable.access);
                put(Column::BroadWrite, entry.broadWrite ? text::yes() : QString());
                row.broadWrite = entry.broadWrite;
                row.sid = entry.readable.sid.value_or(QString()).toStdString();
                rows.push_back(std::move(row));
            }
        }
    }
    return rows;
}

QString csvField(const QString& value) {
    static const QRegularExpression special(QStringLiteral("[\",\\r\\n]"));
    if (!value.contains(special) && !value.startsWith(QLatin1Char(' ')) &&
        !value.endsWith(QLatin1Char(' ')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray toCsv(const std::vector<InventoryRow>& rows) {
    QString out;
    const auto line = [&out](const auto& cell) {
        for (int c = 0; c < static_cast<int>(Column::Count); ++c) {
            if (c > 0)
                out += QLatin1Char(',');
            out += csvField(cell(static_cast<Column>(c)));
        }
        out += QStringLiteral("\r\n");
    };
    line([](Column c) { return columnTitle(c); });
    for (const InventoryRow& row : rows)
        line([&row](Column c) { return row.cell(c); });
    return out.toUtf8();
}

QByteArray toJson(const std::vector<InventoryRow>& rows) {
    QJsonArray array;
    for (const InventoryRow& row : rows) {
        QJsonObject object;
        for (int c = 0; c < static_cast<int>(Column::Count); ++c)
            object.insert(columnTitle(static_cast<Column>(c)), row.cells[c]);
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

bool wantsJson(const QString& fileName) {
    return fileName.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
}

Baselines readBaselines(const QStringList& filesOrFolders) {
    Baselines out;
    QStringList files;
    for (const QString& fileOrFolder : filesOrFolders) {
        if (QFileInfo(fileOrFolder).isDir()) {
            const QDir dir(fileOrFolder);
            for (const QString& name :
                 dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
                files << dir.filePath(name);
        } else {
            files << fileOrFolder;
        }
    }
    for (const QString& fileName : files) {
        QFile input(fileName);
        if (!input.open(QIODevice::ReadOnly)) {
            out.problems << text::baselineUnreadable(fileName, input.errorString());
            continue;
        }
        if (input.size() > MaxShareFileSize) {
            out.problems << text::baselineUnreadable(fileName, text::baselineTooLarge());
            continue;
        }
        const ShareFileReadResult read = readShareFile(input.read(MaxShareFileSize + 1));
        if (!read.file) {
            out.problems << text::baselineUnreadable(fileName, read.error);
            continue;
        }
        out.byComputer[read.file->computer.toCaseFolded()] = *read.file;
    }
    return out;
}

const ShareFile* baselineFor(const Baselines& baselines, const QString& server,
                             std::size_t scannedServers) {
    if (const auto it = baselines.byComputer.find(server.toCaseFolded());
        it != baselines.byComputer.end())
        return &it->second;
    if (scannedServers == 1 && baselines.byComputer.size() == 1)
        return &baselines.byComputer.begin()->second;
    return nullptr;
}

void compareWithBaseline(ServerScan& scan, const ShareFile& baseline) {
    // The scan stands in for the computer the import preview reads.
    std::vector<ExistingShare> existing;
    std::vector<InventoryShare*> matched;
    for (const ExportedShare& wanted : baseline.shares) {
        ExistingShare present;
        InventoryShare* found = nullptr;
        for (InventoryShare& share : scan.shares)
            if (sameShareName(share.record.netname, wanted.record.netname))
                found = &share;
        if (found) {
            present.status = status::Success;
            present.record = found->record;
        }
        existing.push_back(std::move(present));
        matched.push_back(found);
    }
    const std::vector<ImportRow> plan = planImport(baseline, QString(), existing);
    std::set<const InventoryShare*> inBaseline;
    std::vector<InventoryShare> missing;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        InventoryShare* share = matched[i];
        if (!share) {
            InventoryShare gone;
            gone.record = baseline.shares[i].record;
            gone.drift = text::driftMissing();
            missing.push_back(std::move(gone));
            continue;
        }
        inBaseline.insert(share);
        switch (plan[i].state) {
        case ImportRow::State::Same:
            share->drift = text::driftSame();
            break;
        case ImportRow::State::Differs: {
            QStringList what = plan[i].differences;
            const QStringList entries =
                what.contains(backup_text::differingPermissions())
                    ? entryDifferences(baseline.shares[i].entries, share->entries)
                    : QStringList();
            if (!entries.isEmpty()) {
                // The entries say what the permissions difference is.
                what.removeIf(
                    [](const QString& w) { return w == backup_text::differingPermissions(); });
                what << entries;
            }
            share->drift = text::driftChanged(what);
            break;
        }
        case ImportRow::State::New:
        case ImportRow::State::Invalid:
            share->drift = stateText(plan[i]);
            break;
        }
    }
    for (InventoryShare& share : scan.shares)
        if (!inBaseline.contains(&share))
            share.drift = text::driftNew();
    for (InventoryShare& share : missing)
        scan.shares.push_back(std::move(share));
}

std::vector<ServerScan> withDrift(const std::vector<ServerScan>& scans,
                                  const Baselines& baselines) {
    std::vector<ServerScan> out = scans;
    for (ServerScan& scan : out)
        if (scan.status == status::Success)
            if (const ShareFile* baseline = baselineFor(baselines, scan.server, scans.size()))
                compareWithBaseline(scan, *baseline);
    return out;
}

namespace {

bool accountMatches(const QString& wanted, const QString& accountName) {
    const qsizetype slash = accountName.indexOf(QLatin1Char('\\'));
    const QString domain = slash < 0 ? QString() : accountName.left(slash);
    const QString user = accountName.mid(slash + 1);
    const auto same = [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    };
    if (wanted.contains(QLatin1Char('\\')))
        return same(wanted, accountName);
    if (const qsizetype at = wanted.indexOf(QLatin1Char('@')); at >= 0)
        return same(wanted.left(at), user) &&
               same(wanted.mid(at + 1).section(QLatin1Char('.'), 0, 0), domain);
    return same(wanted, user);
}

} // namespace

std::optional<std::set<std::string>> accountFilter(const QString& typed,
                                                   const std::vector<InventoryRow>& rows) {
    const QString wanted = typed.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    // The account's groups are not known here: only the groups every account is in.
    std::set<std::string> out = {"S-1-1-0", "S-1-5-11"};
    if (wanted.startsWith(QStringLiteral("S-1-"), Qt::CaseInsensitive))
        out.insert(wanted.toUpper().toStdString());
    for (const InventoryRow& row : rows)
        if (!row.sid.empty() && accountMatches(wanted, row.cell(Column::Account)))
            out.insert(row.sid);
    return out;
}

QString lookupNameOf(const QString& typed) {
    const QString name = typed.trimmed();
    const qsizetype at = name.indexOf(QLatin1Char('@'));
    if (at <= 0 || name.contains(QLatin1Char('\\')))
        return name;
    return name.mid(at + 1).section(QLatin1Char('.'), 0, 0).toUpper() + QLatin1Char('\\') +
           name.left(at);
}

bool accountKeeps(const InventoryRow& row, const std::set<std::string>& sids,
                  const std::map<QString, std::set<std::string>>& byServer) {
    if (row.sid.empty())
        return false;
    if (sids.contains(row.sid))
        return true;
    const auto it = byServer.find(row.cell(Column::Server).toLower());
    return it != byServer.end() && it->second.contains(row.sid);
}

} // namespace corvane

#include "ImportPlan.h"

#include "bulk/BulkPaths.h"
#include "maintenance/FindReplace.h"
#include "maintenance/RecreateShare.h"
#include "shares/Text.h"

#include <QSet>

namespace corvane {

namespace {

// The longest share name the share service takes.
constexpr qsizetype MaxShareNameLength = 80;

bool holdsForbiddenCharacter(const QString& name) {
    static const QString forbidden = QStringLiteral("\\/[]:|<>+=;,?*\"");
    for (const QChar c : name)
        if (c.unicode() < 0x20 || forbidden.contains(c))
            return true;
    return false;
}

bool isDiskShare(std::uint32_t type) {
    return (type & 0xFF) == StypeDisktree;
}

// Why a share of the file cannot be imported, or empty. `seen` collects the names before it.
QString invalidReason(const ShareInfo502& share, const QString& originalPath,
                      const QString& newParent, QSet<QString>& seen) {
    const QString name = fromU16(share.netname);
    if (name.isEmpty())
        return QStringLiteral("no name");
    if (holdsForbiddenCharacter(name))
        return QStringLiteral("the name holds a character share names cannot hold");
    if (name.size() > MaxShareNameLength)
        return QStringLiteral("the name is longer than 80 characters");
    const QString key = name.toCaseFolded();
    if (seen.contains(key))
        return QStringLiteral("a share of this name comes earlier in the file");
    seen.insert(key);
    if (isDiskShare(share.type) && originalPath.isEmpty())
        return QStringLiteral("no path");
    if (!newParent.isEmpty() && isDiskShare(share.type) &&
        (lastComponentOf(originalPath).isEmpty() || lastComponentOf(originalPath).endsWith(':')))
        return QStringLiteral("the path ") + originalPath +
               QStringLiteral(" has no directory to put under the new parent");
    return {};
}

QStringList differencesOf(const ShareInfo502& wanted, const ShareInfo502& present) {
    QStringList out;
    if (wanted.path != present.path)
        out << QStringLiteral("path");
    if (wanted.remark != present.remark)
        out << QStringLiteral("comment");
    if (wanted.maxUses != present.maxUses)
        out << QStringLiteral("limit");
    if (wanted.securityDescriptor != present.securityDescriptor)
        out << QStringLiteral("permissions");
    return out;
}

QString line(const ShareInfo502& share, const QString& what) {
    return fromU16(share.netname) + QStringLiteral(": ") + what;
}

} // namespace

std::vector<ExistingShare> readExisting(ShareService& service, const std::u16string& computer,
                                        const ShareFile& file) {
    std::vector<ExistingShare> out;
    out.reserve(file.shares.size());
    for (const ExportedShare& share : file.shares) {
        ExistingShare existing;
        existing.status = service.getInfo(computer, share.record.netname, existing.record);
        out.push_back(std::move(existing));
    }
    return out;
}

QString stateText(const ImportRow& row) {
    switch (row.state) {
    case ImportRow::State::New:
        return QStringLiteral("new");
    case ImportRow::State::Same:
        return QStringLiteral("same");
    case ImportRow::State::Differs:
        return QStringLiteral("differs: ") + row.differences.join(QStringLiteral(", "));
    case ImportRow::State::Invalid:
        break;
    }
    return QStringLiteral("invalid: ") + row.invalidReason;
}

std::vector<ImportRow> planImport(const ShareFile& file, const QString& newParent,
                                  const std::vector<ExistingShare>& existing) {
    std::vector<ImportRow> rows;
    rows.reserve(file.shares.size());
    QSet<QString> seen;
    for (std::size_t i = 0; i < file.shares.size(); ++i) {
        ImportRow row;
        row.record = file.shares[i].record;
        const QString originalPath = fromU16(row.record.path);
        row.invalidReason = invalidReason(row.record, originalPath, newParent, seen);
        if (!newParent.isEmpty() && isDiskShare(row.record.type))
            row.record.path = toU16(destinationPathOf(newParent, originalPath));
        const ExistingShare present =
            i < existing.size() ? existing[i] : ExistingShare{status::NetNameNotFound, {}};
        if (row.invalidReason.isEmpty() && present.status != status::Success &&
            present.status != status::NetNameNotFound)
            row.invalidReason = QStringLiteral("the share could not be read on the computer (") +
                                QString::number(present.status) + QLatin1Char(')');
        if (!row.invalidReason.isEmpty()) {
            row.state = ImportRow::State::Invalid;
        } else if (present.status == status::NetNameNotFound) {
            row.state = ImportRow::State::New;
        } else {
            row.existing = present.record;
            row.differences = differencesOf(row.record, present.record);
            row.state =
                row.differences.isEmpty() ? ImportRow::State::Same : ImportRow::State::Differs;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool tickedByDefault(const ImportRow& row) {
    return row.state == ImportRow::State::New || row.state == ImportRow::State::Differs;
}

ImportAction importAction(ImportRow::State state, bool replaceExisting) {
    switch (state) {
    case ImportRow::State::New:
        return ImportAction::Create;
    case ImportRow::State::Differs:
        return replaceExisting ? ImportAction::Replace : ImportAction::Skip;
    case ImportRow::State::Same:
    case ImportRow::State::Invalid:
        break;
    }
    return ImportAction::Skip;
}

ImportOutcome importShare(ShareService& service, const std::u16string& computer,
                          const ImportRow& row, bool replaceExisting) {
    const QString name = fromU16(row.record.netname);
    switch (importAction(row.state, replaceExisting)) {
    case ImportAction::Skip:
        if (row.state == ImportRow::State::Invalid)
            return {false,
                    line(row.record,
                         QStringLiteral("Not imported: ") + row.invalidReason + QLatin1Char('.')),
                    {}};
        return {true,
                line(row.record, row.state == ImportRow::State::Same
                                     ? QStringLiteral("Already the same; left as it is.")
                                     : QStringLiteral("Differs; left as it is.")),
                {}};
    case ImportAction::Create: {
        const Status added = service.add(computer, row.record);
        if (added == status::Success)
            return {true, line(row.record, QStringLiteral("Created.")), {}};
        const QString error = QString::number(added);
        return {false,
                line(row.record,
                     QStringLiteral("Could not be created (") + error + QStringLiteral(").")),
                QStringLiteral("Could not create share ") + name + QLatin1Char('(') + error +
                    QStringLiteral(").\nContinue?")};
    }
    case ImportAction::Replace:
        break;
    }

    // The share as it is now, from which a failed re-creation restores it.
    ShareInfo502 present;
    const Status fetched = service.getInfo(computer, row.record.netname, present);
    if (fetched != status::Success)
        return {false,
                line(row.record, QStringLiteral("Could not be read (") + QString::number(fetched) +
                                     QStringLiteral(").")),
                fetchFailureText(name, fetched)};
    // A change in place that failed: the share is still there, perhaps partly changed.
    const auto changeFailed = [&](Status status) -> ImportOutcome {
        return {false,
                line(row.record, QStringLiteral("Could not be replaced (") +
                                     QString::number(status) + QStringLiteral(").")),
                updateFailureText(name, status, QStringLiteral("Continue?"))};
    };
    if (present.netname == row.record.netname && present.path == row.record.path) {
        const Status set = service.setInfo(computer, present.netname, row.record);
        if (set == status::Success)
            return {true, line(row.record, QStringLiteral("Replaced.")), {}};
        return changeFailed(set);
    }
    const RecreateResult result =
        RecreateShare(service, computer, present.netname, row.record, present);
    const QString error = QString::number(result.status);
    switch (result.outcome) {
    case RecreateResult::Outcome::Done:
        return {true, line(row.record, QStringLiteral("Replaced.")), {}};
    case RecreateResult::Outcome::Untouched:
        return {false,
                line(row.record, QStringLiteral("Could not be replaced (") + error +
                                     QStringLiteral("); left as it was.")),
                updateFailureText(name, result.status, QStringLiteral("Continue?"))};
    case RecreateResult::Outcome::ChangeFailed:
        return changeFailed(result.status);
    case RecreateResult::Outcome::BothNames:
        return {false,
                line(row.record,
                     QStringLiteral("Could not be replaced (") + error + QStringLiteral("). ") +
                         bothNamesConsequence(present.netname, row.record.netname, result.status)),
                updateFailureText(
                    name, result.status,
                    bothNamesConsequence(present.netname, row.record.netname, result.status) +
                        QStringLiteral("\nContinue?"))};
    case RecreateResult::Outcome::AdditionFailedRestored:
    case RecreateResult::Outcome::AdditionFailedLost:
    case RecreateResult::Outcome::RemovalUnanswered:
        break;
    }
    const QString consequence = QLatin1String(additionFailureConsequence(result.outcome));
    return {false,
            line(row.record, QStringLiteral("Could not be replaced (") + error +
                                 QStringLiteral("). ") + consequence),
            updateFailureText(name, result.status, consequence)};
}

} // namespace corvane

#include "ImportPlan.h"

#include "Messages.h"
#include "journal/Messages.h"
#include "journal/PendingChange.h"
#include "shares/Messages.h"
#include "shares/ShareRules.h"
#include "ui/Text.h"

#include <QSet>

namespace corvane {

namespace text = backup_text;

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
        return text::noName();
    if (holdsForbiddenCharacter(name))
        return text::forbiddenCharacter();
    if (name.size() > MaxShareNameLength)
        return text::nameTooLong();
    const QString key = name.toCaseFolded();
    if (seen.contains(key))
        return text::nameRepeated();
    seen.insert(key);
    if (isDiskShare(share.type) && originalPath.isEmpty())
        return text::noPath();
    if (const QString flaw = pathFlawOf(originalPath); !flaw.isEmpty())
        return text::pathFlaw(originalPath, flaw);
    if (!newParent.isEmpty() && isDiskShare(share.type)) {
        if (lastComponentOf(originalPath).isEmpty() || lastComponentOf(originalPath).endsWith(':'))
            return text::pathWithoutDirectory(originalPath);
        if (const QString flaw = pathFlawOf(newParent); !flaw.isEmpty())
            return text::pathFlaw(newParent, flaw);
    }
    return {};
}

QStringList differencesOf(const ShareInfo502& wanted, const ShareInfo502& present) {
    QStringList out;
    if (wanted.path != present.path)
        out << text::differingPath();
    if (wanted.remark != present.remark)
        out << text::differingComment();
    if (wanted.maxUses != present.maxUses)
        out << text::differingLimit();
    if (wanted.securityDescriptor != present.securityDescriptor)
        out << (wanted.securityDescriptor.empty() ? text::differingPermissionsNoneInFile()
                                                  : text::differingPermissions());
    return out;
}

QString line(const ShareInfo502& share, const QString& what) {
    return text::reportLine(fromU16(share.netname), what);
}

} // namespace

Status readExisting(ShareService& service, const std::u16string& computer, const ShareFile& file,
                    std::vector<ExistingShare>& out) {
    out.clear();
    out.reserve(file.shares.size());
    for (const ExportedShare& share : file.shares) {
        ExistingShare existing;
        existing.status = service.getInfo(computer, share.record.netname, existing.record);
        if (existing.status == status::Cancelled) {
            out.clear();
            return status::Cancelled;
        }
        out.push_back(std::move(existing));
    }
    return status::Success;
}

QString stateText(const ImportRow& row) {
    switch (row.state) {
    case ImportRow::State::New:
        return text::stateNew();
    case ImportRow::State::Same:
        return text::stateSame();
    case ImportRow::State::Differs:
        return text::stateDiffers(row.differences);
    case ImportRow::State::Invalid:
        break;
    }
    return text::stateInvalid(row.invalidReason);
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
        // A path that cannot be re-rooted stays as the file has it, beside why.
        if (const QString moved = destinationPathOf(newParent, originalPath);
            !newParent.isEmpty() && isDiskShare(row.record.type) && !moved.isEmpty())
            row.record.path = toU16(moved);
        const ExistingShare present =
            i < existing.size() ? existing[i] : ExistingShare{status::NetNameNotFound, {}};
        if (row.invalidReason.isEmpty() && present.status != status::Success &&
            present.status != status::NetNameNotFound)
            row.invalidReason = text::unreadable(present.status);
        if (!row.invalidReason.isEmpty()) {
            row.state = ImportRow::State::Invalid;
        } else if (present.status == status::NetNameNotFound) {
            row.state = ImportRow::State::New;
        } else {
            row.existing = present.record;
            // Another letter case alone would take the share off the computer and back.
            if (sameShareName(present.record.netname, row.record.netname))
                row.record.netname = present.record.netname;
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
                          const ImportRow& row, bool replaceExisting,
                          ChangeJournal* changeJournal) {
    const QString name = fromU16(row.record.netname);
    switch (importAction(row.state, replaceExisting)) {
    case ImportAction::Skip:
        if (row.state == ImportRow::State::Invalid)
            return {false, line(row.record, text::notImported(row.invalidReason)), {}};
        return {true,
                line(row.record, row.state == ImportRow::State::Same ? text::leftSame()
                                                                     : text::leftDiffering()),
                {}};
    case ImportAction::Create: {
        const ChangeOutcome added = addShare(service, computer, row.record);
        if (added.done())
            return {true, line(row.record, text::created()), {}};
        if (added.kind == ChangeOutcome::Kind::Unknown)
            return {false, line(row.record, text::creationUnanswered(added.status)),
                    text::creationUnansweredGoOn(name, added.status)};
        return {false, line(row.record, text::notCreated(added.status)),
                text::creationFailed(name, added.status)};
    }
    case ImportAction::Replace:
        break;
    }

    // The share as it is now, from which a failed re-creation restores it.
    ShareInfo502 present;
    const Status fetched = service.getInfo(computer, row.record.netname, present);
    if (fetched != status::Success)
        return {false, line(row.record, text::notRead(fetched)),
                shares_text::walkFetchFailed(fetched, name)};
    ShareInfo502 record = row.record;
    // No descriptor in the file says nothing about who may use the share; a change without
    // one leaves the computer's, and a re-created share must not come back open to everyone.
    const bool permissionsKept =
        record.securityDescriptor.empty() && !present.securityDescriptor.empty();
    if (permissionsKept) {
        record.securityDescriptor = present.securityDescriptor;
        if (differencesOf(record, present).isEmpty())
            return {false, line(record, text::permissionsNotReplaced()), {}};
    }
    JournalRecord change(changeJournal, fromU16(computer), journal::Walk::Import);
    const RecreateResult result =
        RecreateShare(service, computer, present.netname, record, present, &change);
    switch (result.outcome) {
    case RecreateResult::Outcome::Done:
        return {true,
                line(record, permissionsKept ? text::replacedButPermissions() : text::replaced()),
                {}};
    case RecreateResult::Outcome::Untouched:
        return {false, line(row.record, text::notReplacedLeftAsItWas(result.status)),
                shares_text::updateFailed(name, result.status, shares_text::goOnQuestion())};
    case RecreateResult::Outcome::NotRecorded:
        return {false, line(row.record, text::notReplacedNotRecorded()),
                shares_text::goOnAfter(journal_text::changeNotRecorded(name, result.journalError))};
    case RecreateResult::Outcome::ChangeFailed: // still there, perhaps partly changed
        return {false, line(row.record, text::notReplaced(result.status)),
                shares_text::updateFailed(name, result.status, shares_text::goOnQuestion())};
    case RecreateResult::Outcome::BothNames:
    case RecreateResult::Outcome::NewNameUnanswered: {
        const QString consequence = shares_text::renameConsequence(
            result.outcome, present.netname, row.record.netname, result.status);
        return {
            false, line(row.record, text::notReplacedWith(result.status, consequence)),
            shares_text::updateFailed(name, result.status, shares_text::goOnAfter(consequence))};
    }
    case RecreateResult::Outcome::AdditionFailedRestored:
    case RecreateResult::Outcome::AdditionFailedLost:
    case RecreateResult::Outcome::Unanswered:
        break;
    }
    const QString consequence = shares_text::additionFailureConsequence(result.outcome);
    return {false, line(row.record, text::notReplacedWith(result.status, consequence)),
            shares_text::updateFailed(name, result.status, consequence)};
}

} // namespace corvane

#include "FindReplace.h"

#include "Messages.h"
#include "journal/Messages.h"
#include "journal/PendingChange.h"
#include "shares/Messages.h"
#include "ui/Text.h"

#include <QList>

namespace corvane {

namespace text = maintenance_text;

namespace {

// A case-folded text, with the position in the original text that each folded code unit
// came from; a last entry holds the original length.
struct Folded {
    QString text;
    QList<qsizetype> origin;
};

Folded fold(const QString& value) {
    Folded out;
    out.text.reserve(value.size());
    out.origin.reserve(value.size() + 1);
    for (qsizetype i = 0; i < value.size();) {
        char32_t codePoint = value[i].unicode();
        qsizetype length = 1;
        if (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(value[i], value[i + 1]);
            length = 2;
        }
        const char32_t folded = QChar::toCaseFolded(codePoint);
        if (QChar::requiresSurrogates(folded)) {
            out.text.append(QChar(QChar::highSurrogate(folded)));
            out.text.append(QChar(QChar::lowSurrogate(folded)));
            out.origin.append(i);
            out.origin.append(i);
        } else {
            out.text.append(QChar(static_cast<char16_t>(folded)));
            out.origin.append(i);
        }
        i += length;
    }
    out.origin.append(value.size());
    return out;
}

// A match may only start and end where a code point of the original starts.
bool onBoundary(const Folded& folded, qsizetype index) {
    return index == 0 || folded.origin[index] != folded.origin[index - 1];
}

} // namespace

std::optional<QString> replaceFirstIgnoringCase(const QString& value, const QString& find,
                                                const QString& replacement) {
    if (find.isEmpty())
        return std::nullopt;
    const Folded haystack = fold(value);
    const QString needle = fold(find).text;
    for (qsizetype at = haystack.text.indexOf(needle); at >= 0;
         at = haystack.text.indexOf(needle, at + 1)) {
        const qsizetype end = at + needle.size();
        if (!onBoundary(haystack, at) || !onBoundary(haystack, end))
            continue;
        const qsizetype from = haystack.origin[at];
        const qsizetype to = haystack.origin[end];
        return value.left(from) + replacement + value.mid(to);
    }
    return std::nullopt;
}

ShareReplacement replaceInShare(ShareService& service, const std::u16string& computer,
                                const QString& shareName, SearchField field, const QString& find,
                                const QString& replacement, ChangeJournal* changeJournal) {
    using Kind = ShareReplacement::Kind;
    ShareReplacement out;
    ShareInfo502 record;
    const Status fetched = service.getInfo(computer, toU16(shareName), record);
    if (fetched != status::Success) {
        out.kind = Kind::FetchFailed;
        out.status = fetched;
        out.errorText = shares_text::walkFetchFailed(fetched, shareName);
        return out;
    }

    const ShareInfo502 original = record;
    std::u16string& value = field == SearchField::Name ? record.netname : record.path;
    const QString oldValue = fromU16(value);
    const std::optional<QString> newValue = replaceFirstIgnoringCase(oldValue, find, replacement);
    if (!newValue) {
        out.kind = Kind::NotFound;
        out.statusLine = text::notFoundLine(fromU16(record.netname), find);
        return out;
    }
    value = toU16(*newValue);

    JournalRecord change(changeJournal, fromU16(computer), journal::Walk::FindReplace);
    const RecreateResult result =
        RecreateShare(service, computer, original.netname, record, original, &change);
    out.status = result.status;
    switch (result.outcome) {
    case RecreateResult::Outcome::Done:
        out.kind = Kind::Replaced;
        out.statusLine = text::replacedLine(fromU16(record.netname), oldValue, *newValue);
        break;
    case RecreateResult::Outcome::Untouched:
    case RecreateResult::Outcome::ChangeFailed:
        out.kind = Kind::Untouched;
        out.errorText =
            shares_text::updateFailed(shareName, result.status, shares_text::goOnQuestion());
        break;
    case RecreateResult::Outcome::NotRecorded:
        out.kind = Kind::Untouched;
        out.errorText =
            shares_text::goOnAfter(journal_text::changeNotRecorded(shareName, result.journalError));
        break;
    case RecreateResult::Outcome::AdditionFailedRestored:
        out.kind = Kind::AdditionFailedRestored;
        out.errorText = shares_text::updateFailed(
            shareName, result.status, shares_text::additionFailureConsequence(result.outcome));
        break;
    case RecreateResult::Outcome::AdditionFailedLost:
    case RecreateResult::Outcome::Unanswered:
        out.kind = Kind::AdditionFailedLost;
        out.errorText = shares_text::updateFailed(
            shareName, result.status, shares_text::additionFailureConsequence(result.outcome));
        break;
    case RecreateResult::Outcome::BothNames:
    case RecreateResult::Outcome::NewNameUnanswered:
        out.kind = Kind::BothNames;
        out.errorText = shares_text::updateFailed(
            shareName, result.status,
            shares_text::goOnAfter(shares_text::renameConsequence(result.outcome, original.netname,
                                                                  record.netname, result.status)));
        break;
    }
    return out;
}

} // namespace corvane

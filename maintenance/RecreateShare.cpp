#include "RecreateShare.h"

namespace corvane {

bool sameShareName(const std::u16string& a, const std::u16string& b) {
    return QString::fromStdU16String(a).compare(QString::fromStdU16String(b),
                                                Qt::CaseInsensitive) == 0;
}

bool samePath(const std::u16string& a, const std::u16string& b) {
    const auto normal = [](const std::u16string& path) {
        QString out = QString::fromStdU16String(path);
        out.replace(QLatin1Char('/'), QLatin1Char('\\'));
        while (out.endsWith(QLatin1Char('\\')))
            out.chop(1);
        return out;
    };
    return normal(a).compare(normal(b), Qt::CaseInsensitive) == 0;
}

bool answerMayBeLost(Status status) {
    switch (status) {
    case status::SemaphoreTimeout:
    case status::Cancelled:
    case status::UnexpectedNetworkError:
    case status::NetNameDeleted:
    case status::BrokenPipe:
    case status::PipeNotConnected:
    case status::RpcCallFailed:
        return true;
    default:
        return false;
    }
}

namespace {

using Outcome = RecreateResult::Outcome;

// Removes the share and adds it from `record`, restoring `original` when the addition fails.
RecreateResult removeThenAdd(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original) {
    const Status removed = service.remove(computer, presentName);
    if (removed != status::Success && !answerMayBeLost(removed))
        return {Outcome::Untouched, removed};
    // With the removal's answer lost the share may or may not be there: adding it tells. A
    // share that is still there refuses the addition as a duplicate.
    const Status added = service.add(computer, record);
    if (added == status::Success)
        return {Outcome::Done, status::Success};
    if (removed != status::Success && added == status::DuplicateShare)
        return {Outcome::Untouched, removed};
    const Status restored = service.add(computer, original);
    if (restored == status::Success)
        return {Outcome::AdditionFailedRestored, added};
    if (removed != status::Success)
        return {restored == status::DuplicateShare ? Outcome::Untouched
                                                   : Outcome::RemovalUnanswered,
                removed};
    return {Outcome::AdditionFailedLost, added};
}

} // namespace

RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original) {
    if (!sameShareName(presentName, record.netname)) {
        const Status added = service.add(computer, record);
        if (added != status::Success)
            return {Outcome::Untouched, added};
        const Status removed = service.remove(computer, presentName);
        if (removed != status::Success)
            return {Outcome::BothNames, removed};
        return {Outcome::Done, status::Success};
    }
    if (presentName == record.netname && record.path == original.path) {
        // Neither name nor path changes: the share is only changed.
        const Status set = service.setInfo(computer, presentName, record);
        return {set == status::Success ? Outcome::Done : Outcome::ChangeFailed, set};
    }
    if (presentName == record.netname) {
        // The share never leaves the server on this road. The path is sent first with the
        // share as it was, so that a server that keeps its paths (Windows) is left exactly as
        // it was for the removal and addition below.
        ShareInfo502 moved = original;
        moved.netname = presentName;
        moved.path = record.path;
        const Status set = service.setInfo(computer, presentName, moved);
        if (set != status::Success)
            return {Outcome::ChangeFailed, set};
        ShareInfo502 now;
        const Status read = service.getInfo(computer, presentName, now);
        if (read != status::Success)
            return {Outcome::ChangeFailed, read};
        if (samePath(now.path, record.path)) {
            if (!(record == moved)) {
                const Status rest = service.setInfo(computer, presentName, record);
                if (rest != status::Success)
                    return {Outcome::ChangeFailed, rest};
            }
            return {Outcome::Done, status::Success};
        }
    }
    return removeThenAdd(service, computer, presentName, record, original);
}

} // namespace corvane

#include "ShareChanges.h"

#include "platform/SecurityDescriptor.h"

#include <QString>

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
bool sameAccess(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a == b)
        return true;
    const auto left = SecurityDescriptor::parse(a);
    const auto right = SecurityDescriptor::parse(b);
    if (!left || !right || left->daclState() != right->daclState())
        return false;
    if (left->daclState() != DaclState::Present)
        return true;
    return left->dacl()->bytes() == right->dacl()->bytes();
}
} // namespace

bool holdsRecord(const ShareInfo502& now, const ShareInfo502& intended) {
    return samePath(now.path, intended.path) && now.remark == intended.remark &&
           now.maxUses == intended.maxUses &&
           (intended.securityDescriptor.empty() ||
            sameAccess(now.securityDescriptor, intended.securityDescriptor));
}

namespace {

using Kind = ChangeOutcome::Kind;

} // namespace

ChangeOutcome addShare(ShareService& service, const std::u16string& computer,
                       const ShareInfo502& record) {
    const Status added = service.add(computer, record);
    if (added == status::Success)
        return {Kind::Done, status::Success};
    if (!answerMayBeLost(added))
        return {Kind::NotDone, added};
    ShareInfo502 now;
    Status read = service.checkInfo(computer, record.netname, now);
    if (read == status::NetNameNotFound && added != status::Cancelled) {
        // The request never arrived: the server answers again, so it gets it once more. A
        // cancelled one is not sent again; the user asked to stop.
        const Status again = service.add(computer, record);
        if (again == status::Success)
            return {Kind::Done, status::Success};
        if (!answerMayBeLost(again) && again != status::DuplicateShare)
            return {Kind::NotDone, again};
        read = service.checkInfo(computer, record.netname, now);
    }
    if (read == status::Success)
        return samePath(now.path, record.path)
                   ? ChangeOutcome{Kind::Done, status::Success}
                   : ChangeOutcome{Kind::NotDone, status::DuplicateShare};
    if (read == status::NetNameNotFound)
        return {Kind::NotDone, added};
    return {Kind::Unknown, added};
}

ChangeOutcome removeShare(ShareService& service, const std::u16string& computer,
                          const std::u16string& name) {
    const Status removed = service.remove(computer, name);
    if (removed == status::Success)
        return {Kind::Done, status::Success};
    if (!answerMayBeLost(removed))
        return {Kind::NotDone, removed};
    ShareInfo502 now;
    Status read = service.checkInfo(computer, name, now);
    if (read == status::Success && removed != status::Cancelled) {
        const Status again = service.remove(computer, name);
        if (again == status::Success || again == status::NetNameNotFound)
            return {Kind::Done, status::Success};
        if (!answerMayBeLost(again))
            return {Kind::NotDone, again};
        read = service.checkInfo(computer, name, now);
    }
    if (read == status::NetNameNotFound)
        return {Kind::Done, status::Success};
    if (read == status::Success)
        return {Kind::NotDone, removed};
    return {Kind::Unknown, removed};
}

ChangeOutcome changeShare(ShareService& service, const std::u16string& computer,
                          const std::u16string& name, const ShareInfo502& record,
                          const ShareInfo502& original) {
    const Status set = service.setInfo(computer, name, record);
    if (set == status::Success)
        return {Kind::Done, status::Success};
    ShareInfo502 now;
    Status read = service.checkInfo(computer, name, now);
    if (read == status::Success && holdsRecord(now, record))
        return {Kind::Done, status::Success};
    if (read == status::NetNameNotFound)
        return {Kind::NotDone, set};
    if (read != status::Success)
        return {answerMayBeLost(set) ? Kind::Unknown : Kind::NotDone, set};
    if (holdsRecord(now, original))
        return {Kind::NotDone, set};
    // Half made. A lost answer: the server answers again, so the change goes once more.
    if (answerMayBeLost(set) && set != status::Cancelled &&
        service.setInfo(computer, name, record) == status::Success)
        return {Kind::Done, status::Success};
    // Otherwise the share is put back as it was.
    ShareInfo502 back = original;
    back.netname = name;
    if (service.setInfo(computer, name, back) == status::Success)
        return {Kind::NotDone, set};
    read = service.checkInfo(computer, name, now);
    if (read == status::Success && holdsRecord(now, record))
        return {Kind::Done, status::Success};
    return {read == status::Success && holdsRecord(now, original) ? Kind::NotDone : Kind::Unknown,
            set};
}

} // namespace corvane

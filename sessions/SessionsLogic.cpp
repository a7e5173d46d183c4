#include "SessionsLogic.h"

#include <algorithm>

namespace corvane::sessions {

QString openModeText(std::uint32_t permissions) {
    const bool read = (permissions & PermFileRead) != 0;
    const bool write = (permissions & (PermFileWrite | PermFileCreate)) != 0;
    if (read && write)
        return QStringLiteral("read+write");
    if (read)
        return QStringLiteral("read");
    if (write)
        return QStringLiteral("write");
    return {};
}

QString durationText(std::uint32_t seconds) {
    const std::uint32_t days = seconds / 86400;
    const std::uint32_t hours = seconds / 3600 % 24;
    const std::uint32_t minutes = seconds / 60 % 60;
    const std::uint32_t secs = seconds % 60;
    const auto two = [](std::uint32_t v) {
        return QStringLiteral("%1").arg(v, 2, 10, QChar(u'0'));
    };
    if (days == 0)
        return QStringLiteral("%1:%2:%3").arg(QString::number(hours), two(minutes), two(secs));
    return QStringLiteral("%1d %2:%3:%4")
        .arg(QString::number(days), two(hours), two(minutes), two(secs));
}

bool pathMatchesFilter(const QString& path, const QString& filter) {
    return path.contains(filter, Qt::CaseInsensitive);
}

Outcome outcomeOf(Status result, std::optional<bool> listedAfter) {
    if (result == status::Success)
        return Outcome::Done;
    if (listedAfter)
        return *listedAfter ? Outcome::Failed : Outcome::Gone;
    const bool notFound = result == status::ClientNameNotFound ||
                          result == status::FileIdNotFound || result == status::FileNotFound;
    return notFound ? Outcome::Gone : Outcome::Failed;
}

Refusal disconnectRefusal(const SessionInfo& session) {
    if (session.thisProgram)
        return Refusal::ThisProgram;
    if (session.user.empty())
        return Refusal::NoUser;
    return Refusal::None;
}

FileCheck checkBeforeClose(const OpenFileInfo& chosen, const std::vector<OpenFileInfo>& current) {
    const auto it = std::find_if(current.begin(), current.end(),
                                 [&](const OpenFileInfo& f) { return f.id == chosen.id; });
    if (it == current.end())
        return FileCheck::Closed;
    return it->path == chosen.path && it->user == chosen.user ? FileCheck::Close
                                                              : FileCheck::Changed;
}

namespace {

template <typename Record, typename Call> Status readAll(Call call, std::vector<Record>& out) {
    out.clear();
    std::uint32_t resume = 0;
    for (int part = 0; part < MaxParts; ++part) {
        std::vector<Record> records;
        const Status s = call(records, resume);
        if (s != status::Success && s != status::MoreData) {
            out.clear();
            return s;
        }
        out.insert(out.end(), std::make_move_iterator(records.begin()),
                   std::make_move_iterator(records.end()));
        if (s == status::Success)
            break;
    }
    return status::Success;
}

} // namespace

Status readAllSessions(SessionService& service, const std::u16string& server,
                       std::vector<SessionInfo>& out) {
    return readAll(
        [&](std::vector<SessionInfo>& part, std::uint32_t& resume) {
            return service.enumerateSessions(server, part, resume);
        },
        out);
}

Status readAllFiles(SessionService& service, const std::u16string& server,
                    std::vector<OpenFileInfo>& out) {
    return readAll(
        [&](std::vector<OpenFileInfo>& part, std::uint32_t& resume) {
            return service.enumerateFiles(server, part, resume);
        },
        out);
}

} // namespace corvane::sessions

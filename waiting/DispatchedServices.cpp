#include "DispatchedServices.h"

#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

namespace corvane {

namespace {

QString text(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

QString serverText(const std::u16string& server) {
    return server.empty() ? QStringLiteral("this computer") : text(server);
}

// Runs `method` of `service` on the worker with copies of the arguments in a block of its
// own, which outlives a cancelled wait; once the call is done, the arguments the method may
// write (its non-const references) take the block's values back.
template <typename Service, typename... Params, typename... Args>
Status forward(CallDispatcher& dispatcher, const QString& work, Service& service,
               Status (Service::*method)(Params...), Args&... args) {
    static_assert(sizeof...(Params) == sizeof...(Args));
    auto block = std::make_shared<std::tuple<std::decay_t<Params>...>>(args...);
    const std::optional<Status> result = dispatcher.call(work, [block, &service, method] {
        return std::apply([&](auto&... copies) { return (service.*method)(copies...); }, *block);
    });
    if (!result)
        return status::Cancelled;
    const auto takeBack = [&]<std::size_t... I>(std::index_sequence<I...>) {
        (
            [&](auto& arg, auto& copy) {
                using Param = std::tuple_element_t<I, std::tuple<Params...>>;
                if constexpr (std::is_lvalue_reference_v<Param> &&
                              !std::is_const_v<std::remove_reference_t<Param>>)
                    arg = std::move(copy);
            }(args, std::get<I>(*block)),
            ...);
    };
    takeBack(std::index_sequence_for<Params...>{});
    return *result;
}

} // namespace

QString shareListingWork(const std::u16string& server) {
    return QStringLiteral("Listing the shares of %1…").arg(serverText(server));
}
QString shareReadingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Reading the share %1 of %2…").arg(text(share), serverText(server));
}
QString shareCheckingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Checking what became of the share %1 on %2…")
        .arg(text(share), serverText(server));
}
QString shareChangingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Changing the share %1 of %2…").arg(text(share), serverText(server));
}
QString shareCreatingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Creating the share %1 on %2…").arg(text(share), serverText(server));
}
QString shareRemovingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Removing the share %1 from %2…").arg(text(share), serverText(server));
}
QString accountLookupWork(const std::u16string& server, const QString& account) {
    return QStringLiteral("Looking up %1 on %2…").arg(account, serverText(server));
}
QString folderListingWork(const std::u16string& server, const std::u16string& nodePath) {
    return QStringLiteral("Listing the folders of %1 on %2…")
        .arg(text(nodePath), serverText(server));
}

QString sessionListingWork(const std::u16string& server) {
    return QStringLiteral("Listing the sessions of %1…").arg(serverText(server));
}
QString openFileListingWork(const std::u16string& server) {
    return QStringLiteral("Listing the open files of %1…").arg(serverText(server));
}
QString sessionEndingWork(const std::u16string& server, const std::u16string& client) {
    return QStringLiteral("Ending the session of %1 on %2…").arg(text(client), serverText(server));
}
QString fileClosingWork(const std::u16string& server) {
    return QStringLiteral("Closing a file on %1…").arg(serverText(server));
}

Status DispatchedServices::enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                                     std::uint32_t& resumeHandle) {
    out.clear();
    return forward(m_dispatcher, shareListingWork(server), m_shares, &ShareService::enumerate,
                   server, out, resumeHandle);
}

Status DispatchedServices::listShares(const std::u16string& server, std::vector<ShareInfo502>& out,
                                      std::uint32_t& resumeHandle) {
    out.clear();
    return forward(m_dispatcher, shareListingWork(server), m_shares, &ShareService::listShares,
                   server, out, resumeHandle);
}

Status DispatchedServices::getInfo(const std::u16string& server, const std::u16string& netname,
                                   ShareInfo502& out) {
    return forward(m_dispatcher, shareReadingWork(server, netname), m_shares,
                   &ShareService::getInfo, server, netname, out);
}

Status DispatchedServices::setInfo(const std::u16string& server, const std::u16string& netname,
                                   const ShareInfo502& info) {
    return forward(m_dispatcher, shareChangingWork(server, netname), m_shares,
                   &ShareService::setInfo, server, netname, info);
}

Status DispatchedServices::add(const std::u16string& server, const ShareInfo502& info) {
    return forward(m_dispatcher, shareCreatingWork(server, info.netname), m_shares,
                   &ShareService::add, server, info);
}

Status DispatchedServices::remove(const std::u16string& server, const std::u16string& netname) {
    return forward(m_dispatcher, shareRemovingWork(server, netname), m_shares,
                   &ShareService::remove, server, netname);
}

Status DispatchedServices::checkInfo(const std::u16string& server, const std::u16string& netname,
                                     ShareInfo502& out) {
    return forward(m_dispatcher, shareCheckingWork(server, netname), m_shares,
                   &ShareService::checkInfo, server, netname, out);
}

Status DispatchedServices::lookupName(const std::u16string& system, const std::u16string& name,
                                      Account& out) {
    return forward(m_dispatcher, accountLookupWork(system, text(name)), m_accounts,
                   &AccountService::lookupName, system, name, out);
}

Status DispatchedServices::lookupSid(const std::u16string& system, const Sid& sid, Account& out) {
    return forward(m_dispatcher, accountLookupWork(system, QString::fromStdString(sid.toString())),
                   m_accounts, &AccountService::lookupSid, system, sid, out);
}

Status DispatchedServices::lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                                      std::vector<Account>& out, std::vector<Status>& results) {
    // One call for the whole list, so the window waits once, not once per entry.
    const QString work =
        sids.size() == 1
            ? accountLookupWork(system, QString::fromStdString(sids[0].toString()))
            : accountLookupWork(system, QStringLiteral("%1 accounts").arg(sids.size()));
    std::vector<Account> found;
    std::vector<Status> each;
    const Status s = forward(m_dispatcher, work, m_accounts, &AccountService::lookupSids, system,
                             sids, found, each);
    if (each.size() != sids.size()) {
        // The wait ended before the answer came: no SID has one of its own.
        found.assign(sids.size(), Account{});
        each.assign(sids.size(), s);
    }
    out = std::move(found);
    results = std::move(each);
    return s;
}

Status DispatchedServices::listDirectories(const std::u16string& server,
                                           const std::u16string& nodePath,
                                           std::vector<std::u16string>& names) {
    return forward(m_dispatcher, folderListingWork(server, nodePath), m_directories,
                   &DirectoryService::listDirectories, server, nodePath, names);
}

Status DispatchedSessions::enumerateSessions(const std::u16string& server,
                                             std::vector<SessionInfo>& out,
                                             std::uint32_t& resumeHandle) {
    out.clear();
    return forward(m_dispatcher, sessionListingWork(server), m_sessions,
                   &SessionService::enumerateSessions, server, out, resumeHandle);
}

Status DispatchedSessions::deleteSession(const std::u16string& server, const std::u16string& client,
                                         const std::u16string& user) {
    return forward(m_dispatcher, sessionEndingWork(server, client), m_sessions,
                   &SessionService::deleteSession, server, client, user);
}

Status DispatchedSessions::enumerateFiles(const std::u16string& server,
                                          std::vector<OpenFileInfo>& out,
                                          std::uint32_t& resumeHandle) {
    out.clear();
    return forward(m_dispatcher, openFileListingWork(server), m_sessions,
                   &SessionService::enumerateFiles, server, out, resumeHandle);
}

Status DispatchedSessions::closeFile(const std::u16string& server, std::uint32_t id) {
    return forward(m_dispatcher, fileClosingWork(server), m_sessions, &SessionService::closeFile,
                   server, id);
}

} // namespace corvane

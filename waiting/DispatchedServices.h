#pragma once

#include "CallDispatcher.h"
#include "platform/AccountService.h"
#include "platform/DirectoryService.h"
#include "platform/SessionService.h"
#include "platform/ShareService.h"

#include <QString>

namespace corvane {

// What the wait panel says while one call is out.
QString shareListingWork(const std::u16string& server);
QString shareReadingWork(const std::u16string& server, const std::u16string& share);
QString shareCheckingWork(const std::u16string& server, const std::u16string& share);
QString shareChangingWork(const std::u16string& server, const std::u16string& share);
QString shareCreatingWork(const std::u16string& server, const std::u16string& share);
QString shareRemovingWork(const std::u16string& server, const std::u16string& share);
QString accountLookupWork(const std::u16string& server, const QString& account);
QString folderListingWork(const std::u16string& server, const std::u16string& nodePath);
QString sessionListingWork(const std::u16string& server);
QString openFileListingWork(const std::u16string& server);
QString sessionEndingWork(const std::u16string& server, const std::u16string& client);
QString fileClosingWork(const std::u16string& server);

// The services as the window calls them: each call runs on the dispatcher's worker against the
// services it owns, and the window waits for it. A cancelled wait fails the call with
// status::Cancelled and leaves the caller's output as it was.
class DispatchedServices : public ShareService, public AccountService, public DirectoryService {
public:
    DispatchedServices(CallDispatcher& dispatcher, ShareService& shares, AccountService& accounts,
                       DirectoryService& directories)
        : m_dispatcher(dispatcher), m_shares(shares), m_accounts(accounts),
          m_directories(directories) {}

    Status enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                     std::uint32_t& resumeHandle) override;
    Status listShares(const std::u16string& server, std::vector<ShareInfo502>& out,
                      std::uint32_t& resumeHandle) override;
    Status getInfo(const std::u16string& server, const std::u16string& netname,
                   ShareInfo502& out) override;
    Status setInfo(const std::u16string& server, const std::u16string& netname,
                   const ShareInfo502& info) override;
    Status add(const std::u16string& server, const ShareInfo502& info) override;
    Status remove(const std::u16string& server, const std::u16string& netname) override;
    Status checkInfo(const std::u16string& server, const std::u16string& netname,
                     ShareInfo502& out) override;

    Status lookupName(const std::u16string& system, const std::u16string& name,
                      Account& out) override;
    Status lookupSid(const std::u16string& system, const Sid& sid, Account& out) override;
    Status lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                      std::vector<Account>& out, std::vector<Status>& results) override;

    Status listDirectories(const std::u16string& server, const std::u16string& nodePath,
                           std::vector<std::u16string>& names) override;

private:
    CallDispatcher& m_dispatcher;
    ShareService& m_shares;
    AccountService& m_accounts;
    DirectoryService& m_directories;
};

// The sessions and open files of a server, called the same way.
class DispatchedSessions : public SessionService {
public:
    DispatchedSessions(CallDispatcher& dispatcher, SessionService& sessions)
        : m_dispatcher(dispatcher), m_sessions(sessions) {}

    Status enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                             std::uint32_t& resumeHandle) override;
    Status deleteSession(const std::u16string& server, const std::u16string& client,
                         const std::u16string& user) override;
    Status enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                          std::uint32_t& resumeHandle) override;
    Status closeFile(const std::u16string& server, std::uint32_t id) override;

private:
    CallDispatcher& m_dispatcher;
    SessionService& m_sessions;
};

} // namespace corvane

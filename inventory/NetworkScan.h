#pragma once

#include "Inventory.h"
#include "ScanEngine.h"
#include "platform/CredentialProvider.h"
#include "platform/smb/SmbOptions.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace corvane {

namespace smb {
class SmbNetwork;
}

// One logon for every server of a scan. The backend uses a Kerberos ticket by itself when there
// is one; otherwise the first server that needs a logon asks `ask` once, and every server gets
// a copy of that answer. A logon a server refused is not asked again: that server fails.
class SharedLogon : public CredentialProvider {
public:
    using Ask = std::function<std::optional<Credentials>(const std::u16string& server)>;
    explicit SharedLogon(Ask ask) : m_ask(std::move(ask)) {}
    // A logon given beforehand (the command line's authentication file): nothing is asked.
    explicit SharedLogon(Credentials given);

    std::optional<Credentials> credentialsFor(const std::u16string& server,
                                              const std::u16string& failure) override;

private:
    std::mutex m_mutex;
    Ask m_ask;
    bool m_asked = false;
    std::optional<Credentials> m_logon;
};

// One server's work on a network of its own (its own connections), on the engine's thread.
class NetworkJob : public ScanJob {
public:
    using Work =
        std::function<Status(smb::SmbNetwork& network, const std::atomic<bool>& cancelled)>;
    NetworkJob(CredentialProvider& credentials, const smb::SmbOptions& options, Work work);
    Status run() override;
    void cancel() override;

private:
    CredentialProvider& m_credentials;
    smb::SmbOptions m_options;
    Work m_work;
    std::mutex m_mutex;
    smb::SmbNetwork* m_network = nullptr;
    std::atomic<bool> m_cancelled{false};
};

// Scans the server `out` names into `out`.
std::unique_ptr<ScanJob> makeScanJob(CredentialProvider& credentials,
                                     const smb::SmbOptions& options, ServerScan& out);

// What one server says of an account: its SID and the groups and aliases it belongs to there.
struct Membership {
    QString server;
    Status status = status::Success;
    std::string account;
    std::vector<std::string> groups;
};
// Looks up `account` (a name as typed in the account box, or a SID) on the server `out` names,
// then the groups it belongs to.
std::unique_ptr<ScanJob> makeMembershipJob(CredentialProvider& credentials,
                                           const smb::SmbOptions& options, const QString& account,
                                           Membership& out);

// The options of a scan's networks: the program's own, marked as one of many at a time.
smb::SmbOptions scanOptions(smb::SmbOptions options);

} // namespace corvane

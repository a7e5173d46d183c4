#pragma once

#include "SmbOptions.h"
#include "codec/LsarpcCodec.h"
#include "platform/AccountService.h"
#include "platform/CallCanceller.h"
#include "platform/CredentialProvider.h"
#include "platform/DirectoryService.h"
#include "platform/SessionService.h"
#include "platform/ShareService.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace corvane::smb {

class CallWatchdog;
class RpcChannel;
class SambaRpcLibrary;
class SmbContext;

// The real servers: shares through the server service and accounts through the local security
// authority, over Samba's client RPC library (one exchange per call); directories through the
// drive shares over libsmbclient. Bound pipes are kept per server and service and reused by
// later calls; the lsarpc pipe is opened on the SMB connection of the srvsvc pipe (one
// connection and logon per server), and the policy handle is kept while its pipe stands.
//
// Every wait is bounded by progress: a call whose server sends nothing useful for
// `options.timeout` fails with SemaphoreTimeout (121), however long the answer is while it keeps
// arriving. After a read timed out the server counts as stalled: further reads fail at once
// with the same status while they keep coming (each within `StallHold` of the last), so the
// rest of an operation (the drive probes, the lookups of a list) does not wait again and
// again. Changes and checks are never failed that way: after a change whose answer was lost,
// what comes next is finding out what the server holds. A pause of `StallHold`, an answer from
// the server, an enumeration from its beginning (an open or refresh the user asked for) or
// beginOperation() ends the stall; the next call then connects afresh.
//
// All calls must come from one thread; cancelCurrentCall() may come from any other.
//
// The calls are written by protocol: SmbShares.cpp and SmbSessions.cpp (srvsvc), SmbAccounts.cpp
// (lsarpc, samr), SmbDirectories.cpp (the file service); SmbCallGuard.cpp bounds and cancels
// them, and this class's own file keeps each server's pipes.
class SmbNetwork : public ShareService,
                   public AccountService,
                   public DirectoryService,
                   public SessionService,
                   public CallCanceller {
public:
    explicit SmbNetwork(CredentialProvider& credentials, SmbOptions options = {});
    ~SmbNetwork() override;
    SmbNetwork(const SmbNetwork&) = delete;
    SmbNetwork& operator=(const SmbNetwork&) = delete;

    Status enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                     std::uint32_t& resumeHandle) override;
    // At level 2: no descriptors, which are most of a level-502 answer's bytes and of the
    // server's work for it. A server that refuses the level is listed at 502 from then on.
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
    // One lookup call for all of `sids` not looked up before: the names found are kept per
    // server until its shares are next listed from the beginning (an open or a refresh).
    Status lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                      std::vector<Account>& out, std::vector<Status>& results) override;
    // Through the security account manager (samr).
    Status groupsOf(const std::u16string& system, const Sid& account,
                    std::vector<Sid>& out) override;

    Status listDirectories(const std::u16string& server, const std::u16string& nodePath,
                           std::vector<std::u16string>& names) override;

    Status enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                             std::uint32_t& resumeHandle) override;
    Status deleteSession(const std::u16string& server, const std::u16string& client,
                         const std::u16string& user) override;
    Status enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                          std::uint32_t& resumeHandle) override;
    Status closeFile(const std::u16string& server, std::uint32_t id) override;

    // Ends the call that is out with Cancelled (1223), from any thread.
    void cancelCurrentCall() override;
    // How connections are secured from now on; the connections made before are dropped.
    void setSecurity(const ConnectionSecurity& security,
                     const std::vector<std::u16string>& unsignedAllowed);
    // A new user operation starts: servers that stalled in an earlier one are tried again.
    void beginOperation();

    // How long calls to a stalled server keep failing at once after the last one.
    static constexpr std::chrono::milliseconds StallHold{2000};
    // How long a check waits before it tries a server that could not be reached again.
    static constexpr std::chrono::milliseconds CheckRetryPause{250};
    // How long a check waits at least for a server to come back (a restart takes seconds).
    static constexpr std::chrono::milliseconds MinCheckWindow{10000};
    // A directory listing fails with MoreData beyond this many entries, or when the server
    // sends more than this many bytes for it (the library collects a whole listing before it
    // hands out the first entry).
    static constexpr std::size_t MaxDirectoryEntries = 100000;
    static constexpr std::uint64_t MaxDirectoryBytes = 64ull << 20;
    // The account names kept per server are dropped when they pass this many.
    static constexpr std::size_t MaxKnownAccounts = 100000;

    // How many times the pipes to `server` were bound (both interfaces); tests use it to see
    // that pipes are reused.
    std::uint32_t bindCount(const std::u16string& server) const;
    const SmbOptions& options() const { return m_options; }

private:
    struct Server;
    class CallScope;
    enum class CallKind { Read, Change, Check };
    using Attempt = std::function<Status(bool& retryable)>;

    Server& serverFor(const std::u16string& server);
    static void dropPipes(Server& server);
    // Success, or NetNameNotFound when the server's file service has no share `netname`.
    Status confirmServed(const std::u16string& server, const std::u16string& netname);
    // An enumeration from its beginning is a new look at the server: no stall carried over.
    void freshStart(const std::u16string& server, std::uint32_t resumeHandle);
    Status guarded(Server& server, const std::function<Status()>& step, std::uint64_t maxBytes = 0);
    static Status withRetry(const Attempt& attempt);
    Status enumerateAt(const std::u16string& server, std::uint32_t level,
                       std::uint32_t preferredLength, std::vector<ShareInfo502>& out,
                       std::uint32_t& resumeHandle);
    Status srvsvcCall(const std::u16string& server, std::uint16_t opnum,
                      const std::vector<std::uint8_t>& stub, std::vector<std::uint8_t>& reply,
                      bool idempotent);
    // A server-service call: `stub` goes out, the answer is decoded by `decode` into `decoded`.
    template <class Decoded, class Decode>
    Status srvsvcExchange(const std::u16string& server, std::uint16_t opnum,
                          const std::vector<std::uint8_t>& stub, bool idempotent, Decode decode,
                          Decoded& decoded);
    // Sends a session or open-file call and reads the result of an answer without records.
    Status sessionCall(const std::u16string& server, std::uint16_t opnum,
                       const std::vector<std::uint8_t>& stub);
    Status
    lsaCall(const std::u16string& server, std::uint16_t opnum,
            const std::function<std::vector<std::uint8_t>(const lsarpc::PolicyHandle&)>& makeStub,
            std::vector<std::uint8_t>& reply);

    SmbOptions m_options;
    std::unique_ptr<SmbContext> m_context;
    std::unique_ptr<SambaRpcLibrary> m_library;
    std::unique_ptr<CallWatchdog> m_watchdog;
    // A cancel holds for the whole public call that is out, also between its requests.
    std::mutex m_cancelMutex;
    int m_depth = 0;                  // nesting of public calls, on the calling thread
    CallKind m_kind = CallKind::Read; // of the outermost call out
    bool m_busy = false;
    bool m_cancelRequested = false;
    std::map<std::u16string, std::unique_ptr<Server>> m_servers;
};

// Lets networks on several threads make calls at the same time (each network from its own
// thread). Call it first thing in the process, before any network is made: Samba's libraries
// settle how they keep per-call memory at their first use.
void enableConcurrentNetworks();

// The name the backend connects to: leading backslashes dropped; an empty name is this
// computer.
std::u16string connectName(std::u16string_view server);

} // namespace corvane::smb

#pragma once

#include "CredentialProvider.h"
#include "LsarpcCodec.h"
#include "SmbOptions.h"
#include "platform/AccountService.h"
#include "platform/DirectoryService.h"
#include "platform/SessionService.h"
#include "platform/ShareService.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace corvane::smb {

class RpcClient;
class SmbContext;

// The real servers: shares through the server service, accounts through the local security
// authority, directories through the drive shares, all over one libsmbclient context. Bound
// pipes are kept per server and reused by later calls.
class SmbNetwork : public ShareService,
                   public AccountService,
                   public DirectoryService,
                   public SessionService {
public:
    explicit SmbNetwork(CredentialProvider& credentials, SmbOptions options = {});
    ~SmbNetwork() override;
    SmbNetwork(const SmbNetwork&) = delete;
    SmbNetwork& operator=(const SmbNetwork&) = delete;

    Status enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                     std::uint32_t& resumeHandle) override;
    Status getInfo(const std::u16string& server, const std::u16string& netname,
                   ShareInfo502& out) override;
    Status setInfo(const std::u16string& server, const std::u16string& netname,
                   const ShareInfo502& info) override;
    Status add(const std::u16string& server, const ShareInfo502& info) override;
    Status remove(const std::u16string& server, const std::u16string& netname) override;

    Status lookupName(const std::u16string& system, const std::u16string& name,
                      Account& out) override;
    Status lookupSid(const std::u16string& system, const Sid& sid, Account& out) override;

    Status listDirectories(const std::u16string& server, const std::u16string& nodePath,
                           std::vector<std::u16string>& names) override;

    Status enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                             std::uint32_t& resumeHandle) override;
    Status deleteSession(const std::u16string& server, const std::u16string& client,
                         const std::u16string& user) override;
    Status enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                          std::uint32_t& resumeHandle) override;
    Status closeFile(const std::u16string& server, std::uint32_t id) override;

    // How many times the pipes to `server` were bound (both interfaces); tests use it to see
    // that pipes are reused.
    std::uint32_t bindCount(const std::u16string& server) const;
    const SmbOptions& options() const { return m_options; }

private:
    struct Server;
    using Attempt = std::function<Status(bool& retryable)>;

    Server& serverFor(const std::u16string& server);
    static Status withRetry(const Attempt& attempt);
    Status srvsvcCall(const std::u16string& server, std::uint16_t opnum,
                      const std::vector<std::uint8_t>& stub, std::vector<std::uint8_t>& reply,
                      bool idempotent);
    // Sends a session or open-file call and reads the result of an answer without records.
    Status sessionCall(const std::u16string& server, std::uint16_t opnum,
                       const std::vector<std::uint8_t>& stub);
    Status
    lsaCall(const std::u16string& server, std::uint16_t opnum,
            const std::function<std::vector<std::uint8_t>(const lsarpc::PolicyHandle&)>& makeStub,
            std::vector<std::uint8_t>& reply);

    SmbOptions m_options;
    std::unique_ptr<SmbContext> m_context;
    std::map<std::u16string, std::unique_ptr<Server>> m_servers;
};

// Takes the user limit from the level-2 answer (`call` is how the call went, `reply` its stub)
// into `info`, read at level 502. A server that does not offer level 2 (invalid level, or a
// fault saying the call is not supported) leaves the level-502 limit; any other failure
// fails the read, since a record with a made-up limit could be written back later.
Status applyLevel2Limit(Status call, std::span<const std::uint8_t> reply, ShareInfo502& info);

// The name the backend connects to: leading backslashes dropped; an empty name is this
// computer.
std::u16string connectName(std::u16string_view server);

} // namespace corvane::smb

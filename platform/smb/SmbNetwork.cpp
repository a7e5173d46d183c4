#include "SmbNetwork.h"

#include "LsaPolicy.h"
#include "RpcClient.h"
#include "SessionCodec.h"
#include "SmbContext.h"
#include "SmbPipe.h"
#include "SrvsvcCodec.h"
#include "StatusMapping.h"
#include "platform/WellKnownAccounts.h"

namespace corvane::smb {

struct SmbNetwork::Server {
    std::unique_ptr<RpcClient> srvsvc;
    std::unique_ptr<RpcClient> lsarpc;
    LsaPolicyCache policy;
};

std::u16string connectName(std::u16string_view server) {
    while (!server.empty() && server.front() == u'\\')
        server.remove_prefix(1);
    if (server.empty())
        return u"localhost";
    return std::u16string(server);
}

SmbNetwork::SmbNetwork(CredentialProvider& credentials, SmbOptions options)
    : m_options(options), m_context(std::make_unique<SmbContext>(credentials, options)) {}

SmbNetwork::~SmbNetwork() {
    // Policy handles are given back where the pipe is still known to work; a broken pipe
    // takes its handles with it on the server.
    for (auto& [name, server] : m_servers) {
        if (server->policy.handle && server->lsarpc->isBound() &&
            server->lsarpc->bindCount() == server->policy.bind) {
            std::vector<std::uint8_t> reply;
            bool retryable = false;
            server->lsarpc->call(lsarpc::OpClose, lsarpc::encodeClose(*server->policy.handle),
                                 reply, false, retryable);
        }
    }
    m_servers.clear();
}

SmbNetwork::Server& SmbNetwork::serverFor(const std::u16string& server) {
    const std::u16string name = connectName(server);
    auto& slot = m_servers[asciiLower(name)];
    if (!slot) {
        slot = std::make_unique<Server>();
        slot->srvsvc =
            std::make_unique<RpcClient>(std::make_unique<SmbPipe>(*m_context, name, "srvsvc"),
                                        srvsvcSyntax(), m_options.maxFragment, m_options.timeout);
        slot->lsarpc =
            std::make_unique<RpcClient>(std::make_unique<SmbPipe>(*m_context, name, "lsarpc"),
                                        lsarpcSyntax(), m_options.maxFragment, m_options.timeout);
    }
    return *slot;
}

std::uint32_t SmbNetwork::bindCount(const std::u16string& server) const {
    const auto it = m_servers.find(asciiLower(connectName(server)));
    if (it == m_servers.end())
        return 0;
    return it->second->srvsvc->bindCount() + it->second->lsarpc->bindCount();
}

Status SmbNetwork::withRetry(const Attempt& attempt) {
    bool retryable = false;
    Status s = attempt(retryable);
    if (s != status::Success && retryable)
        s = attempt(retryable);
    return s;
}

Status SmbNetwork::srvsvcCall(const std::u16string& server, std::uint16_t opnum,
                              const std::vector<std::uint8_t>& stub,
                              std::vector<std::uint8_t>& reply, bool idempotent) {
    RpcClient& rpc = *serverFor(server).srvsvc;
    return withRetry(
        [&](bool& retryable) { return rpc.call(opnum, stub, reply, idempotent, retryable); });
}

Status SmbNetwork::lsaCall(
    const std::u16string& server, std::uint16_t opnum,
    const std::function<std::vector<std::uint8_t>(const lsarpc::PolicyHandle&)>& makeStub,
    std::vector<std::uint8_t>& reply) {
    Server& s = serverFor(server);
    return lsaPolicyCall(*s.lsarpc, s.policy, srvsvc::serverArgument(connectName(server)), opnum,
                         makeStub, reply);
}

Status SmbNetwork::enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                             std::uint32_t& resumeHandle) {
    // The records keep level 502's user limit, which Samba always reports as "no limit".
    // Nothing shows or keeps the limit of a listed share: whatever edits or copies a share
    // reads it again through getInfo, which asks for the real limit.
    out.clear();
    std::vector<std::uint8_t> reply;
    const auto stub = srvsvc::encodeShareEnum(srvsvc::serverArgument(connectName(server)),
                                              resumeHandle, m_options.enumPreferredLength);
    if (Status s = srvsvcCall(server, srvsvc::OpNetShareEnum, stub, reply, true);
        s != status::Success)
        return s;
    srvsvc::ShareEnumReply decoded;
    if (Status s = srvsvc::decodeShareEnum(reply, decoded); s != status::Success)
        return s;
    if (decoded.result != status::Success && decoded.result != status::MoreData)
        return normalizeShareResult(ShareCall::Enumerate, decoded.result);
    if (decoded.result == status::MoreData) {
        // Without a new resume handle the caller would ask for the same part for ever.
        if (!decoded.resumeHandle || *decoded.resumeHandle == resumeHandle)
            return status::RpcProtocolError;
    }
    if (decoded.resumeHandle)
        resumeHandle = *decoded.resumeHandle;
    out = std::move(decoded.shares);
    return decoded.result;
}

Status SmbNetwork::getInfo(const std::u16string& server, const std::u16string& netname,
                           ShareInfo502& out) {
    std::vector<std::uint8_t> reply;
    const auto stub =
        srvsvc::encodeShareGetInfo(srvsvc::serverArgument(connectName(server)), netname);
    if (Status s = srvsvcCall(server, srvsvc::OpNetShareGetInfo, stub, reply, true);
        s != status::Success)
        return s;
    srvsvc::ShareGetInfoReply decoded;
    if (Status s = srvsvc::decodeShareGetInfo(reply, decoded); s != status::Success)
        return s;
    if (decoded.result != status::Success)
        return normalizeShareResult(ShareCall::GetInfo, decoded.result);
    if (!decoded.info)
        return status::RpcProtocolError;
    // Samba 4.17 answers "no limit" at level 502 whatever the share's limit is and reports it
    // at level 2 only; Windows gives the same number at both levels.
    std::vector<std::uint8_t> limitReply;
    const auto limitStub = srvsvc::encodeShareGetInfo(srvsvc::serverArgument(connectName(server)),
                                                      netname, srvsvc::Level2);
    const Status limitCall =
        srvsvcCall(server, srvsvc::OpNetShareGetInfo, limitStub, limitReply, true);
    if (Status s = applyLevel2Limit(limitCall, limitReply, *decoded.info); s != status::Success)
        return s;
    out = std::move(*decoded.info);
    return status::Success;
}

Status applyLevel2Limit(Status call, std::span<const std::uint8_t> reply, ShareInfo502& info) {
    if (call == win32::ProcnumOutOfRange)
        return status::Success;
    if (call != status::Success)
        return call;
    srvsvc::ShareGetInfoReply limit;
    if (Status s = srvsvc::decodeShareGetInfo2(reply, limit); s != status::Success)
        return s;
    if (limit.result == status::InvalidLevel)
        return status::Success;
    if (limit.result != status::Success)
        return normalizeShareResult(ShareCall::GetInfo, limit.result);
    if (!limit.info)
        return status::RpcProtocolError;
    info.maxUses = limit.info->maxUses;
    return status::Success;
}

Status SmbNetwork::setInfo(const std::u16string& server, const std::u16string& netname,
                           const ShareInfo502& info) {
    // Three calls (level 502, the descriptor alone at 1501, the limit at 2), not one atomic
    // change: when a later one fails, its status is returned but what the earlier ones set
    // stays on the server (say, a new comment with the old limit). The caller sees the
    // failure and, reading the share again, what did change.
    const std::u16string serverArg = srvsvc::serverArgument(connectName(server));
    // Not sent again after a broken connection that may have delivered it: a server may run
    // its change-share command for each call, and a second run may meet a share already
    // changed by someone else in between.
    const auto call = [&](const std::vector<std::uint8_t>& stub) -> Status {
        std::vector<std::uint8_t> reply;
        if (Status s = srvsvcCall(server, srvsvc::OpNetShareSetInfo, stub, reply, false);
            s != status::Success)
            return s;
        srvsvc::ShareParmErrReply decoded;
        if (Status s = srvsvc::decodeShareSetInfo(reply, decoded); s != status::Success)
            return s;
        return normalizeShareResult(ShareCall::SetInfo, decoded.result);
    };
    if (Status s = call(srvsvc::encodeShareSetInfo(serverArg, netname, info)); s != status::Success)
        return s;
    // The descriptor once more on its own: Samba drops the descriptor of a level-502 record
    // whenever the same call also runs its change-share command (it looks the share up again
    // after the configuration reload and finds no name). On other servers this repeats what
    // is already set.
    if (!info.securityDescriptor.empty()) {
        if (Status s =
                call(srvsvc::encodeShareSetSecurity(serverArg, netname, info.securityDescriptor));
            s != status::Success)
            return s;
    }
    // The user limit once more at level 2: Samba ignores it at level 502 (its level 1006
    // refuses any change). Windows takes only the comment and the limit from this record,
    // the values just written; neither server touches the descriptor at this level. A failure
    // here is the caller's to see, so a limit that did not stick is never reported as set.
    return call(srvsvc::encodeShareSetInfo2(serverArg, netname, info));
}

Status SmbNetwork::add(const std::u16string& server, const ShareInfo502& info) {
    std::vector<std::uint8_t> reply;
    const auto stub = srvsvc::encodeShareAdd(srvsvc::serverArgument(connectName(server)), info);
    if (Status s = srvsvcCall(server, srvsvc::OpNetShareAdd, stub, reply, false);
        s != status::Success)
        return s;
    srvsvc::ShareParmErrReply decoded;
    if (Status s = srvsvc::decodeShareAdd(reply, decoded); s != status::Success)
        return s;
    return normalizeShareResult(ShareCall::Add, decoded.result);
}

Status SmbNetwork::remove(const std::u16string& server, const std::u16string& netname) {
    std::vector<std::uint8_t> reply;
    const auto stub = srvsvc::encodeShareDel(srvsvc::serverArgument(connectName(server)), netname);
    if (Status s = srvsvcCall(server, srvsvc::OpNetShareDel, stub, reply, false);
        s != status::Success)
        return s;
    Status result = status::Success;
    if (Status s = srvsvc::decodeShareDel(reply, result); s != status::Success)
        return s;
    return normalizeShareResult(ShareCall::Remove, result);
}

namespace {

// The records of an enumeration answer, with ShareService::enumerate's contract.
template <typename Record>
Status takeRecords(sessions::EnumReply<Record>& decoded, std::vector<Record>& out,
                   std::uint32_t& resumeHandle) {
    if (decoded.result != status::Success && decoded.result != status::MoreData)
        return decoded.result;
    // Without a new resume handle the caller would ask for the same part for ever.
    if (decoded.result == status::MoreData &&
        (!decoded.resumeHandle || *decoded.resumeHandle == resumeHandle))
        return status::RpcProtocolError;
    if (decoded.resumeHandle)
        resumeHandle = *decoded.resumeHandle;
    out = std::move(decoded.records);
    return decoded.result;
}

} // namespace

Status SmbNetwork::enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                                     std::uint32_t& resumeHandle) {
    out.clear();
    std::vector<std::uint8_t> reply;
    const auto stub = sessions::encodeSessionEnum(srvsvc::serverArgument(connectName(server)),
                                                  resumeHandle, m_options.enumPreferredLength);
    if (Status s = srvsvcCall(server, sessions::OpNetSessionEnum, stub, reply, true);
        s != status::Success)
        return s;
    sessions::SessionEnumReply decoded;
    if (Status s = sessions::decodeSessionEnum(reply, decoded); s != status::Success)
        return s;
    return takeRecords(decoded, out, resumeHandle);
}

Status SmbNetwork::enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                                  std::uint32_t& resumeHandle) {
    out.clear();
    std::vector<std::uint8_t> reply;
    const auto stub = sessions::encodeFileEnum(srvsvc::serverArgument(connectName(server)),
                                               resumeHandle, m_options.enumPreferredLength);
    if (Status s = srvsvcCall(server, sessions::OpNetFileEnum, stub, reply, true);
        s != status::Success)
        return s;
    sessions::FileEnumReply decoded;
    if (Status s = sessions::decodeFileEnum(reply, decoded); s != status::Success)
        return s;
    return takeRecords(decoded, out, resumeHandle);
}

Status SmbNetwork::sessionCall(const std::u16string& server, std::uint16_t opnum,
                               const std::vector<std::uint8_t>& stub) {
    std::vector<std::uint8_t> reply;
    // Ending a session or closing a file is not idempotent enough to send twice: the second
    // call would report a failure for what the first one did.
    if (Status s = srvsvcCall(server, opnum, stub, reply, false); s != status::Success)
        return s;
    Status result = status::Success;
    if (Status s = sessions::decodeResult(reply, result); s != status::Success)
        return s;
    return result;
}

Status SmbNetwork::deleteSession(const std::u16string& server, const std::u16string& client,
                                 const std::u16string& user) {
    return sessionCall(
        server, sessions::OpNetSessionDel,
        sessions::encodeSessionDel(srvsvc::serverArgument(connectName(server)), client, user));
}

Status SmbNetwork::closeFile(const std::u16string& server, std::uint32_t id) {
    return sessionCall(server, sessions::OpNetFileClose,
                       sessions::encodeFileClose(srvsvc::serverArgument(connectName(server)), id));
}

Status SmbNetwork::lookupName(const std::u16string& system, const std::u16string& name,
                              Account& out) {
    // A longer name would wrap the request's 16-bit length and look up a different name.
    if (name.size() > lsarpc::MaxNameLength)
        return status::InvalidParameter;
    if (system.empty()) {
        const auto known = wellKnownAccountByName(name);
        if (!known)
            return status::NoneMapped;
        out = *known;
        return status::Success;
    }
    std::vector<std::uint8_t> reply;
    const std::vector<std::u16string> names{name};
    if (Status s = lsaCall(
            system, lsarpc::OpLookupNames,
            [&](const lsarpc::PolicyHandle& h) { return lsarpc::encodeLookupNames(h, names); },
            reply);
        s != status::Success)
        return s;
    lsarpc::LookupNamesReply decoded;
    if (Status s = lsarpc::decodeLookupNames(reply, decoded); s != status::Success)
        return s;
    if (decoded.ntStatus != 0 && decoded.ntStatus != lsarpc::StatusSomeNotMapped)
        return statusFromNtStatus(decoded.ntStatus);
    if (decoded.sids.size() != 1)
        return status::NoneMapped;
    const auto sid = lsarpc::sidOf(decoded.sids[0], decoded.domains);
    if (!sid)
        return status::NoneMapped;
    const auto& domain = decoded.domains[static_cast<std::size_t>(decoded.sids[0].domainIndex)];
    out.sid = *sid;
    // The account name as the caller wrote it, without a domain prefix.
    const auto slash = name.rfind(u'\\');
    out.name = slash == std::u16string::npos ? name : name.substr(slash + 1);
    out.domain = domain.name;
    out.use = decoded.sids[0].use;
    return status::Success;
}

Status SmbNetwork::lookupSid(const std::u16string& system, const Sid& sid, Account& out) {
    if (!sid.isValid())
        return status::InvalidSid;
    if (system.empty()) {
        const auto known = wellKnownAccountBySid(sid);
        if (!known)
            return status::NoneMapped;
        out = *known;
        return status::Success;
    }
    std::vector<std::uint8_t> reply;
    const std::vector<Sid> sids{sid};
    if (Status s = lsaCall(
            system, lsarpc::OpLookupSids,
            [&](const lsarpc::PolicyHandle& h) { return lsarpc::encodeLookupSids(h, sids); },
            reply);
        s != status::Success)
        return s;
    lsarpc::LookupSidsReply decoded;
    if (Status s = lsarpc::decodeLookupSids(reply, decoded); s != status::Success)
        return s;
    if (decoded.ntStatus != 0 && decoded.ntStatus != lsarpc::StatusSomeNotMapped)
        return statusFromNtStatus(decoded.ntStatus);
    if (decoded.names.size() != 1)
        return status::NoneMapped;
    const auto& name = decoded.names[0];
    if (name.use == SidNameUse::Unknown || name.use == SidNameUse::Invalid)
        return status::NoneMapped;
    out.sid = sid;
    out.name = name.name;
    out.domain.clear();
    if (name.domainIndex >= 0 &&
        static_cast<std::size_t>(name.domainIndex) < decoded.domains.size())
        out.domain = decoded.domains[static_cast<std::size_t>(name.domainIndex)].name;
    out.use = name.use;
    return status::Success;
}

Status SmbNetwork::listDirectories(const std::u16string& server, const std::u16string& nodePath,
                                   std::vector<std::u16string>& names) {
    names.clear();
    const auto url = directoryUrl(connectName(server), nodePath);
    if (!url)
        return status::InvalidName;
    // The logon to a server is made (and asked for) on its IPC$ pipe, so that a refused
    // logon is told apart from a directory that may not be read.
    if (Status s = serverFor(server).srvsvc->ensureBound(); s != status::Success)
        return s;
    return m_context->listDirectories(*url, names);
}

} // namespace corvane::smb

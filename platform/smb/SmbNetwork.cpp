#include "SmbNetwork.h"

#include "CallWatchdog.h"
#include "LsaPolicy.h"
#include "SambaPipe.h"
#include "SambaRpcGlue.h"
#include "SmbContext.h"
#include "codec/SamrCodec.h"
#include "codec/SessionCodec.h"
#include "codec/SrvsvcCodec.h"
#include "codec/StatusMapping.h"
#include "codec/Utf.h"
#include "platform/WellKnownAccounts.h"

#include <algorithm>
#include <thread>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

namespace corvane::smb {

namespace {
// The fragment size Samba's client library offers and reads a named pipe in.
constexpr std::uint64_t PipeFragment = 4280;

// The addresses `name` resolves to, as the watchdog writes a connection's peer.
std::set<std::string> addressesOf(const std::u16string& name) {
    std::set<std::string> out;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(toUtf8(name).c_str(), nullptr, &hints, &found) != 0)
        return out;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        const void* addr = nullptr;
        if (a->ai_family == AF_INET)
            addr = &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
        else if (a->ai_family == AF_INET6)
            addr = &reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr;
        if (addr && ::inet_ntop(a->ai_family, addr, text, sizeof text))
            out.insert(text);
    }
    ::freeaddrinfo(found);
    return out;
}
} // namespace

struct SmbNetwork::Server {
    std::unique_ptr<SambaPipe> srvsvc;
    std::unique_ptr<SambaPipe> lsarpc; // opened on srvsvc's connection
    std::unique_ptr<SambaPipe> samr;   // bound when first used
    LsaPolicyCache policy;
    // The accounts of SIDs looked up since the server's list was last read from its beginning
    // (an open or a refresh), by the SID's bytes.
    std::map<std::vector<std::uint8_t>, Account> accounts;
    // Until the server refuses it, its list is read at level 2.
    bool listsAtLevel2 = true;
    // The server's addresses, as its connections showed them, for the watchdog.
    std::set<std::string> peers;
    // While now is before this, the server counts as stalled.
    WatchClock::time_point stalledUntil{};
};

// Marks a public call as out, so that a cancel that comes between two of its requests still
// ends it; the outermost call says what kind of call it is.
class SmbNetwork::CallScope {
public:
    CallScope(SmbNetwork& net, CallKind kind) : m_net(net) {
        if (m_net.m_depth++ == 0) {
            m_net.m_kind = kind;
            std::lock_guard lock(m_net.m_cancelMutex);
            m_net.m_busy = true;
        }
    }
    ~CallScope() {
        if (--m_net.m_depth == 0) {
            std::lock_guard lock(m_net.m_cancelMutex);
            m_net.m_busy = false;
            m_net.m_cancelRequested = false;
        }
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    SmbNetwork& m_net;
};

void enableConcurrentNetworks() {
    corvane_samba_threads();
}

std::u16string connectName(std::u16string_view server) {
    while (!server.empty() && server.front() == u'\\')
        server.remove_prefix(1);
    if (server.empty())
        return u"localhost";
    return std::u16string(server);
}

SmbNetwork::SmbNetwork(CredentialProvider& credentials, SmbOptions options)
    : m_options(options), m_context(std::make_unique<SmbContext>(credentials, options)),
      m_library(std::make_unique<SambaRpcLibrary>()),
      // A step of progress: about one answer fragment, as a named-pipe read brings it.
      m_watchdog(
          std::make_unique<CallWatchdog>(options.timeout, PipeFragment, options.concurrent)) {}

SmbNetwork::~SmbNetwork() {
    // Policy handles are given back where the pipe is still known to work; a broken pipe
    // takes its handles with it on the server. Only on a connection that is still open: a
    // reconnection could ask for a logon while the window waits for this without an event loop.
    for (auto& [name, server] : m_servers) {
        if (server->policy.handle && server->lsarpc->isConnected() &&
            server->lsarpc->bindCount() == server->policy.bind &&
            WatchClock::now() >= server->stalledUntil) {
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
        Server* s = slot.get();
        // Beside other threads' connections a call knows its own only by their peer.
        if (m_options.concurrent)
            s->peers = addressesOf(name);
        const CallGuard guard = [this, s](const std::function<Status()>& step) {
            return guarded(*s, step);
        };
        slot->srvsvc = std::make_unique<SambaPipe>(*m_library, *m_context, name, "srvsvc",
                                                   srvsvcSyntax(), guard);
        slot->lsarpc = std::make_unique<SambaPipe>(*m_library, *m_context, name, "lsarpc",
                                                   lsarpcSyntax(), guard);
        slot->lsarpc->openBeside(*slot->srvsvc);
        slot->samr =
            std::make_unique<SambaPipe>(*m_library, *m_context, name, "samr", samrSyntax(), guard);
    }
    return *slot;
}

Status SmbNetwork::guarded(Server& server, const std::function<Status()>& step,
                           std::uint64_t maxBytes) {
    const auto now = WatchClock::now();
    // Only reads are spared: a change, or a check of what a change did, always goes out.
    if (m_kind == CallKind::Read && now < server.stalledUntil) {
        server.stalledUntil = now + StallHold;
        return status::SemaphoreTimeout;
    }
    {
        std::lock_guard lock(m_cancelMutex);
        if (m_cancelRequested)
            return status::Cancelled;
    }
    m_watchdog->begin(server.peers, maxBytes);
    {
        // Cancelled after the check above: the watchdog ends the step at its first tick.
        std::lock_guard lock(m_cancelMutex);
        if (m_cancelRequested)
            m_watchdog->cancel();
    }
    Status s = step();
    switch (m_watchdog->end()) {
    case CallWatchdog::Ending::Normal:
        if (s != status::SemaphoreTimeout) {
            server.stalledUntil = {}; // the server answers again
            return s;
        }
        break; // the library gave up by itself: the same as our own timeout
    case CallWatchdog::Ending::TimedOut:
        s = status::SemaphoreTimeout;
        break;
    case CallWatchdog::Ending::Cancelled:
        s = status::Cancelled;
        break;
    case CallWatchdog::Ending::TooLarge:
        s = status::MoreData;
        break;
    }
    if (s == status::SemaphoreTimeout && m_kind == CallKind::Read)
        server.stalledUntil = WatchClock::now() + StallHold;
    // Nothing half-read stays behind: the next call to the server starts on new connections.
    dropPipes(server);
    CallWatchdog::resetConnections(server.peers);
    m_context->purgeConnections();
    return s;
}

void SmbNetwork::cancelCurrentCall() {
    std::lock_guard lock(m_cancelMutex);
    if (!m_busy)
        return;
    m_cancelRequested = true;
    m_watchdog->cancel();
}

void SmbNetwork::setSecurity(const ConnectionSecurity& security,
                             const std::vector<std::u16string>& unsignedAllowed) {
    m_options.security = security;
    m_options.unsignedAllowed = unsignedAllowed;
    m_context->setSecurityOptions(security, unsignedAllowed);
    for (auto& [name, server] : m_servers)
        dropPipes(*server);
    m_context->purgeConnections();
}

void SmbNetwork::dropPipes(Server& server) {
    server.srvsvc->drop();
    server.lsarpc->drop();
    server.samr->drop();
}

void SmbNetwork::beginOperation() {
    for (auto& [name, server] : m_servers)
        server->stalledUntil = {};
}

void SmbNetwork::freshStart(const std::u16string& server, std::uint32_t resumeHandle) {
    if (resumeHandle == 0)
        serverFor(server).stalledUntil = {};
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
    RpcChannel& rpc = *serverFor(server).srvsvc;
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
    return enumerateAt(server, srvsvc::Level502, out, resumeHandle);
}

Status SmbNetwork::listShares(const std::u16string& server, std::vector<ShareInfo502>& out,
                              std::uint32_t& resumeHandle) {
    Server& s = serverFor(server);
    if (!s.listsAtLevel2)
        return enumerate(server, out, resumeHandle);
    const std::uint32_t resume = resumeHandle;
    const Status listed = enumerateAt(server, srvsvc::Level2, out, resumeHandle);
    // A server without the level answers so at the first part; the list starts again at 502.
    if (resume != 0 || (listed != status::InvalidLevel && listed != status::NotSupported))
        return listed;
    s.listsAtLevel2 = false;
    return enumerate(server, out, resumeHandle);
}

Status SmbNetwork::enumerateAt(const std::u16string& server, std::uint32_t level,
                               std::vector<ShareInfo502>& out, std::uint32_t& resumeHandle) {
    const CallScope scope(*this, CallKind::Read);
    freshStart(server, resumeHandle);
    // An open or a refresh: account names are asked again from now on, in case they changed.
    if (resumeHandle == 0)
        serverFor(server).accounts.clear();
    // At level 502 the records keep the user limit Samba always reports as "no limit".
    // Nothing shows or keeps the limit of a listed share: whatever edits or copies a share
    // reads it again through getInfo, which asks for the real limit.
    out.clear();
    std::vector<std::uint8_t> reply;
    const auto stub = srvsvc::encodeShareEnum(srvsvc::serverArgument(connectName(server)),
                                              resumeHandle, m_options.enumPreferredLength, level);
    if (Status s = srvsvcCall(server, srvsvc::OpNetShareEnum, stub, reply, true);
        s != status::Success)
        return s;
    srvsvc::ShareEnumReply decoded;
    const Status d = level == srvsvc::Level2 ? srvsvc::decodeShareEnum2(reply, decoded)
                                             : srvsvc::decodeShareEnum(reply, decoded);
    if (d != status::Success)
        return d;
    return takeShareEnum(decoded, resumeHandle, out);
}

Status SmbNetwork::getInfo(const std::u16string& server, const std::u16string& netname,
                           ShareInfo502& out) {
    const CallScope scope(*this, CallKind::Read);
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

namespace {
// Failures that say the server could not be reached or the connection broke, not what it holds
// of a share: a server that is restarting answers like this for a moment.
bool notReachedYet(Status s) {
    switch (s) {
    case status::BadNetPath:
    case status::UnexpectedNetworkError:
    case status::NetNameDeleted:
    case status::BrokenPipe:
    case status::PipeNotConnected:
    case status::RpcCallFailed:
    case status::RpcServerUnavailable:
        return true;
    default:
        return false;
    }
}
} // namespace

Status SmbNetwork::checkInfo(const std::u16string& server, const std::u16string& netname,
                             ShareInfo502& out) {
    const CallScope scope(*this, CallKind::Check);
    const auto deadline = WatchClock::now() + std::max(m_options.timeout, MinCheckWindow);
    for (;;) {
        const Status s = getInfo(server, netname, out);
        if (s == status::Success && (out.type & 0xFF) == StypeDisktree)
            return confirmServed(server, netname);
        if (!notReachedYet(s) || WatchClock::now() >= deadline)
            return s;
        {
            std::lock_guard lock(m_cancelMutex);
            if (m_cancelRequested)
                return status::Cancelled;
        }
        std::this_thread::sleep_for(CheckRetryPause);
    }
}

// Samba's RPC service runs in several worker processes, each with the share definitions it
// last loaded: after a connection broke, the next one may be served by a worker that still
// holds a share another worker has since removed (measured on 4.17: for as long as the worker
// lives). The file service loads the definitions afresh, so a share the RPC answer shows is
// looked for there as well; only an answer of "no such share" overrides the read.
Status SmbNetwork::confirmServed(const std::u16string& server, const std::u16string& netname) {
    const auto url = directoryUrl(connectName(server), netname);
    if (!url)
        return status::Success;
    Server& s = serverFor(server);
    m_context->secure(securityFor(m_options, connectName(server)));
    const Status served = guarded(
        s, [&] { return m_context->shareServed(*url); }, 0);
    return served == status::NetNameNotFound ? status::NetNameNotFound : status::Success;
}

Status SmbNetwork::setInfo(const std::u16string& server, const std::u16string& netname,
                           const ShareInfo502& info) {
    const CallScope scope(*this, CallKind::Change);
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
    const CallScope scope(*this, CallKind::Change);
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
    const CallScope scope(*this, CallKind::Change);
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

Status SmbNetwork::enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                                     std::uint32_t& resumeHandle) {
    const CallScope scope(*this, CallKind::Read);
    freshStart(server, resumeHandle);
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
    const Status taken = takeEnumRecords(decoded, resumeHandle, out);
    // The pipe that just answered is open: its connection is one of the program's own.
    const Server& s = serverFor(server);
    sessions::markOwnSessions(out, CallWatchdog::localAddresses(s.peers), s.srvsvc->account());
    return taken;
}

Status SmbNetwork::enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                                  std::uint32_t& resumeHandle) {
    const CallScope scope(*this, CallKind::Read);
    freshStart(server, resumeHandle);
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
    return takeEnumRecords(decoded, resumeHandle, out);
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
    const CallScope scope(*this, CallKind::Change);
    // A server may take an empty user as every user of that client, this program included.
    if (user.empty())
        return status::InvalidParameter;
    return sessionCall(
        server, sessions::OpNetSessionDel,
        sessions::encodeSessionDel(srvsvc::serverArgument(connectName(server)), client, user));
}

Status SmbNetwork::closeFile(const std::u16string& server, std::uint32_t id) {
    const CallScope scope(*this, CallKind::Change);
    return sessionCall(server, sessions::OpNetFileClose,
                       sessions::encodeFileClose(srvsvc::serverArgument(connectName(server)), id));
}

Status SmbNetwork::lookupName(const std::u16string& system, const std::u16string& name,
                              Account& out) {
    const CallScope scope(*this, CallKind::Read);
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
    return lsarpc::accountOf(decoded, name, out);
}

Status SmbNetwork::groupsOf(const std::u16string& system, const Sid& account,
                            std::vector<Sid>& out) {
    const CallScope scope(*this, CallKind::Read);
    out.clear();
    const std::string accountText = account.toString();
    const auto dash = accountText.rfind('-');
    if (account.subAuthorityCount() < 2 || dash == std::string::npos)
        return status::InvalidSid;
    const std::optional<Sid> domain = Sid::fromString(accountText.substr(0, dash));
    const std::uint32_t rid = account.subAuthority(account.subAuthorityCount() - 1);
    const std::optional<Sid> builtin = Sid::fromString("S-1-5-32");
    if (!domain || !builtin)
        return status::InvalidSid;
    RpcChannel& rpc = *serverFor(system).samr;
    // Handles belong to one connection: only the first call may be sent again on a new one.
    const auto call = [&](std::uint16_t opnum, const std::vector<std::uint8_t>& stub,
                          std::vector<std::uint8_t>& reply, bool first) {
        if (first)
            return withRetry(
                [&](bool& retryable) { return rpc.call(opnum, stub, reply, true, retryable); });
        bool retryable = false;
        return rpc.call(opnum, stub, reply, false, retryable);
    };
    const auto open = [&](std::uint16_t opnum, const std::vector<std::uint8_t>& stub,
                          samr::Handle& handle, bool first) {
        std::vector<std::uint8_t> reply;
        std::uint32_t nt = 0;
        if (Status s = call(opnum, stub, reply, first); s != status::Success)
            return s;
        if (Status s = samr::decodeHandle(reply, handle, nt); s != status::Success)
            return s;
        return nt == 0 ? status::Success : statusFromNtStatus(nt);
    };
    const auto close = [&](const samr::Handle& handle) {
        std::vector<std::uint8_t> reply;
        call(samr::OpCloseHandle, samr::encodeCloseHandle(handle), reply, false);
    };
    // The aliases of a domain that hold any of `members`, added to `out`.
    const auto aliases = [&](const samr::Handle& domainHandle, const Sid& of,
                             const std::vector<Sid>& members) {
        std::vector<std::uint8_t> reply;
        std::vector<std::uint32_t> rids;
        std::uint32_t nt = 0;
        if (Status s = call(samr::OpGetAliasMembership,
                            samr::encodeGetAliasMembership(domainHandle, members), reply, false);
            s != status::Success)
            return s;
        if (Status s = samr::decodeGetAliasMembership(reply, rids, nt); s != status::Success)
            return s;
        if (nt != 0)
            return statusFromNtStatus(nt);
        for (std::uint32_t r : rids)
            if (auto sid = Sid::fromString(of.toString() + "-" + std::to_string(r)))
                out.push_back(*sid);
        return status::Success;
    };

    samr::Handle server{};
    if (Status s = open(samr::OpConnect2,
                        samr::encodeConnect2(srvsvc::serverArgument(connectName(system)),
                                             samr::ServerLookupDomain),
                        server, true);
        s != status::Success)
        return s;
    Status result = status::Success;
    std::vector<Sid> members{account};
    samr::Handle domainHandle{};
    // A computer that does not keep the account's domain knows only its built-in aliases.
    if (open(samr::OpOpenDomain, samr::encodeOpenDomain(server, samr::DomainLookup, *domain),
             domainHandle, false) == status::Success) {
        samr::Handle user{};
        if (open(samr::OpOpenUser, samr::encodeOpenUser(domainHandle, samr::UserListGroups, rid),
                 user, false) == status::Success) {
            std::vector<std::uint8_t> reply;
            std::vector<std::uint32_t> rids;
            std::uint32_t nt = 0;
            result =
                call(samr::OpGetGroupsForUser, samr::encodeGetGroupsForUser(user), reply, false);
            if (result == status::Success)
                result = samr::decodeGetGroupsForUser(reply, rids, nt);
            if (result == status::Success && nt != 0)
                result = statusFromNtStatus(nt);
            for (std::uint32_t r : rids)
                if (auto sid = Sid::fromString(domain->toString() + "-" + std::to_string(r)))
                    out.push_back(*sid);
            close(user);
        }
        members.insert(members.end(), out.begin(), out.end());
        if (result == status::Success)
            result = aliases(domainHandle, *domain, members);
        close(domainHandle);
    }
    samr::Handle builtinHandle{};
    if (result == status::Success) {
        result =
            open(samr::OpOpenDomain, samr::encodeOpenDomain(server, samr::DomainLookup, *builtin),
                 builtinHandle, false);
        if (result == status::Success) {
            result = aliases(builtinHandle, *builtin, members);
            close(builtinHandle);
        }
    }
    close(server);
    if (result != status::Success)
        out.clear();
    return result;
}

Status SmbNetwork::lookupSid(const std::u16string& system, const Sid& sid, Account& out) {
    const CallScope scope(*this, CallKind::Read);
    std::vector<Account> accounts;
    std::vector<Status> results;
    lookupSids(system, {sid}, accounts, results);
    if (results[0] == status::Success)
        out = std::move(accounts[0]);
    return results[0];
}

Status SmbNetwork::lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                              std::vector<Account>& out, std::vector<Status>& results) {
    const CallScope scope(*this, CallKind::Read);
    out.assign(sids.size(), Account{});
    results.assign(sids.size(), status::NoneMapped);
    std::vector<Sid> asked;
    std::vector<std::size_t> askedIndex;
    auto* known = system.empty() ? nullptr : &serverFor(system).accounts;
    for (std::size_t i = 0; i < sids.size(); ++i) {
        if (!sids[i].isValid()) {
            results[i] = status::InvalidSid;
        } else if (system.empty()) {
            if (const auto local = wellKnownAccountBySid(sids[i])) {
                out[i] = *local;
                results[i] = status::Success;
            }
        } else if (const auto it = known->find(sids[i].bytes()); it != known->end()) {
            out[i] = it->second;
            results[i] = status::Success;
        } else {
            asked.push_back(sids[i]);
            askedIndex.push_back(i);
        }
    }
    if (asked.empty())
        return status::Success;
    const auto failAll = [&](Status s) {
        for (std::size_t i : askedIndex)
            results[i] = s;
        return s;
    };
    std::vector<std::uint8_t> reply;
    if (Status s = lsaCall(
            system, lsarpc::OpLookupSids,
            [&](const lsarpc::PolicyHandle& h) { return lsarpc::encodeLookupSids(h, asked); },
            reply);
        s != status::Success)
        return failAll(s);
    lsarpc::LookupSidsReply decoded;
    if (Status s = lsarpc::decodeLookupSids(reply, decoded); s != status::Success)
        return failAll(s);
    // Far more accounts than any access lists name; a server that makes up more starts over.
    if (known->size() > MaxKnownAccounts)
        known->clear();
    for (std::size_t k = 0; k < asked.size(); ++k) {
        const std::size_t i = askedIndex[k];
        results[i] = lsarpc::accountOf(decoded, asked, k, out[i]);
        if (results[i] == status::Success)
            (*known)[asked[k].bytes()] = out[i];
    }
    return status::Success;
}

Status SmbNetwork::listDirectories(const std::u16string& server, const std::u16string& nodePath,
                                   std::vector<std::u16string>& names) {
    const CallScope scope(*this, CallKind::Read);
    names.clear();
    const auto url = directoryUrl(connectName(server), nodePath);
    if (!url)
        return status::InvalidName;
    // The logon to a server is made (and asked for) on its IPC$ pipe, so that a refused
    // logon is told apart from a directory that may not be read.
    Server& s = serverFor(server);
    if (Status bound = s.srvsvc->ensureBound(); bound != status::Success)
        return bound;
    m_context->secure(securityFor(m_options, connectName(server)));
    const Status listed = guarded(
        s, [&] { return m_context->listDirectories(*url, names, MaxDirectoryEntries); },
        MaxDirectoryBytes);
    if (listed != status::Success)
        names.clear();
    return listed;
}

} // namespace corvane::smb

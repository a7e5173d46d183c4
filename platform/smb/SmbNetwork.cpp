#include "SmbNetworkParts.h"

#include "SambaRpcGlue.h"
#include "SmbContext.h"
#include "codec/SrvsvcCodec.h"
#include "codec/StatusMapping.h"
#include "codec/Utf.h"
#include "platform/WellKnownAccounts.h"

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

std::uint32_t SmbNetwork::bindCount(const std::u16string& server) const {
    const auto it = m_servers.find(asciiLower(connectName(server)));
    if (it == m_servers.end())
        return 0;
    return it->second->srvsvc->bindCount() + it->second->lsarpc->bindCount();
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

} // namespace corvane::smb

#include "SambaPipe.h"

#include "SambaRpcGlue.h"
#include "SmbContext.h"
#include "codec/StatusMapping.h"
#include "codec/Utf.h"

#include <cerrno>
#include <new>

namespace corvane::smb {

SambaRpcLibrary::SambaRpcLibrary() : m_lib(corvane_rpc_library_new()) {}

SambaRpcLibrary::~SambaRpcLibrary() {
    corvane_rpc_library_free(m_lib);
}

SambaPipe::SambaPipe(SambaRpcLibrary& library, SmbContext& context, std::u16string server,
                     std::string pipe, const SyntaxId& syntax, CallGuard guard)
    : m_library(library), m_context(context), m_server(std::move(server)),
      m_pipeName(std::move(pipe)), m_syntax(syntax), m_guard(std::move(guard)) {}

SambaPipe::~SambaPipe() {
    drop();
}

void SambaPipe::drop() {
    if (m_pipe)
        corvane_rpc_pipe_free(m_pipe);
    m_pipe = nullptr;
    m_sendFragment = 0;
}

bool SambaPipe::isConnected() const {
    return m_pipe && corvane_rpc_connected(m_pipe);
}

Status SambaPipe::ensureBound() {
    // A connection the server has closed meanwhile is replaced before anything is sent on it;
    // so is one its base has left: the pipes of a server share the connection it has now.
    if (m_pipe && !corvane_rpc_connected(m_pipe))
        drop();
    if (m_pipe && m_baseBind != 0 && (!m_base->m_pipe || m_base->m_bindCount != m_baseBind))
        drop();
    return m_pipe ? status::Success : connect();
}

Status SambaPipe::connectBeside(const std::string& host) {
    if (Status b = m_base->ensureBound(); b != status::Success)
        return b;
    corvane_rpc_pipe* pipe = nullptr;
    const Status s = m_guard([&] {
        const auto version = static_cast<std::uint32_t>(m_syntax.major) |
                             static_cast<std::uint32_t>(m_syntax.minor) << 16;
        const std::uint32_t nt =
            corvane_rpc_open_beside(m_library.get(), m_base->m_pipe, host.c_str(),
                                    m_pipeName.c_str(), m_syntax.uuid.data(), version, &pipe);
        return nt == 0 ? status::Success : statusFromConnectFailure(nt);
    });
    if (s != status::Success) {
        if (pipe)
            corvane_rpc_pipe_free(pipe);
        return s;
    }
    m_pipe = pipe;
    m_baseBind = m_base->m_bindCount;
    ++m_bindCount;
    std::uint32_t recv = 0;
    corvane_rpc_fragments(m_pipe, &m_sendFragment, &recv);
    m_account = fromUtf8(corvane_rpc_account(m_pipe));
    return status::Success;
}

Status SambaPipe::connect() {
    if (!m_library.get())
        return status::NotEnoughMemory;
    const auto host = urlServer(m_server);
    if (!host)
        return status::BadNetPath;
    if (m_base) {
        // A base that cannot be reached says so; anything else (the pipe refused beside it,
        // its connection gone meanwhile) is tried once more over a connection of its own.
        const Status beside = connectBeside(*host);
        if (beside == status::Success || beside == status::SemaphoreTimeout ||
            beside == status::Cancelled || !m_base->isBound())
            return beside;
    }
    const ConnectionSecurity security = securityFor(m_context.options(), m_server);
    corvane_rpc_library_secure(m_library.get(), security.requireSigning ? 1 : 0,
                               security.requireEncryption ? 1 : 0);
    LogonAttempts attempts(m_context.usesKerberos(), m_context.maxLogonAttempts());
    for (;;) {
        const bool ticket = attempts.usesTicket();
        corvane_rpc_logon logon{};
        logon.use_ticket = ticket ? 1 : 0;
        if (!ticket && security.kerberosOnly)
            return status::NtlmBlocked; // no ticket, or a refused one, and no password allowed
        if (!ticket) {
            // Asked outside the watch: the time the user takes is no silence of the server.
            const SmbContext::Logon* kept = m_context.logonFor(m_server, attempts.failure());
            if (!kept)
                return status::LogonFailure;
            logon.user = kept->user.c_str();
            logon.domain = kept->domain.c_str();
            logon.password = kept->password.c_str();
        }
        std::uint32_t nt = 0;
        corvane_rpc_pipe* pipe = nullptr;
        const Status s = m_guard([&] {
            const auto version = static_cast<std::uint32_t>(m_syntax.major) |
                                 static_cast<std::uint32_t>(m_syntax.minor) << 16;
            nt = corvane_rpc_connect(m_library.get(), host->c_str(), m_pipeName.c_str(),
                                     m_syntax.uuid.data(), version, &logon, &pipe);
            return nt == 0 ? status::Success : statusFromConnectFailure(nt);
        });
        if (s == status::Success && pipe) {
            m_pipe = pipe;
            m_baseBind = 0; // a connection of its own
            ++m_bindCount;
            std::uint32_t recv = 0;
            corvane_rpc_fragments(m_pipe, &m_sendFragment, &recv);
            m_account = fromUtf8(corvane_rpc_account(m_pipe));
            return status::Success;
        }
        if (pipe)
            corvane_rpc_pipe_free(pipe);
        if (s == status::SemaphoreTimeout || s == status::Cancelled)
            return s;
        // A ticket that does not get in (none cached, expired, no KDC) gives way to asking.
        const bool refused =
            isLogonRefusal(nt) || (ticket && s != status::BadNetPath && s != status::BadNetName &&
                                   s != status::RpcServerUnavailable);
        if (!refused)
            return s;
        if (!ticket)
            m_context.forgetLogon(m_server);
        if (!attempts.refused(nt == NtAccessDenied ? EACCES : EPERM))
            return status::LogonFailure;
    }
}

Status SambaPipe::call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                       std::vector<std::uint8_t>& response, bool idempotent, bool& retryable) {
    retryable = false;
    response.clear();
    const bool reused = m_pipe != nullptr;
    if (Status s = ensureBound(); s != status::Success)
        return s;
    std::uint8_t* out = nullptr;
    std::size_t length = 0;
    std::uint32_t fault = 0;
    const Status s = m_guard([&] {
        const std::uint32_t nt =
            corvane_rpc_call(m_pipe, opnum, stub.data(), stub.size(), &out, &length, &fault);
        if (nt == 0)
            return status::Success;
        return fault != 0 ? statusFromFault(fault) : statusFromNtStatus(nt);
    });
    if (s == status::Success) {
        try {
            response.assign(out, out + length);
        } catch (const std::bad_alloc&) {
            corvane_rpc_buffer_free(out);
            return status::NotEnoughMemory;
        }
        corvane_rpc_buffer_free(out);
        return status::Success;
    }
    corvane_rpc_buffer_free(out);
    const bool watchEnded = s == status::SemaphoreTimeout || s == status::Cancelled;
    // A fault ends the call cleanly and leaves the pipe as it was.
    if (fault != 0 && !watchEnded && m_pipe)
        return s;
    drop();
    retryable = reused && idempotent && !watchEnded;
    return s;
}

} // namespace corvane::smb

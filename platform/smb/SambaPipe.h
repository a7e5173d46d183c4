#pragma once

#include "RpcChannel.h"
#include "codec/RpcSyntax.h"

#include <functional>
#include <string>

struct corvane_rpc_library;
struct corvane_rpc_pipe;

namespace corvane::smb {

class SmbContext;

// Samba's client RPC library for one thread: its memory, event loop and configuration.
class SambaRpcLibrary {
public:
    SambaRpcLibrary();
    ~SambaRpcLibrary();
    SambaRpcLibrary(const SambaRpcLibrary&) = delete;
    SambaRpcLibrary& operator=(const SambaRpcLibrary&) = delete;
    corvane_rpc_library* get() const { return m_lib; }

private:
    corvane_rpc_library* m_lib;
};

// Runs one blocking step of the library (a connect, a call) under the caller's watch; returns
// the step's status, or the watch's when it ended the step.
using CallGuard = std::function<Status(const std::function<Status()>& step)>;

// A named pipe on a server with one interface bound, through Samba's client RPC library:
// each call is one exchange on the pipe (the request goes out, the answer comes back), with
// our own encoded stubs. Logons come from the context's store, asked for as it says.
class SambaPipe : public RpcChannel {
public:
    SambaPipe(SambaRpcLibrary& library, SmbContext& context, std::u16string server,
              std::string pipe, const SyntaxId& syntax, CallGuard guard);
    ~SambaPipe() override;
    SambaPipe(const SambaPipe&) = delete;
    SambaPipe& operator=(const SambaPipe&) = delete;

    Status call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                std::vector<std::uint8_t>& response, bool idempotent, bool& retryable) override;
    Status ensureBound() override;
    bool isBound() const override { return m_pipe != nullptr; }
    // Bound, and its connection still open as far as this side knows: a call on it neither
    // reconnects nor logs on again.
    bool isConnected() const;
    std::uint32_t bindCount() const override { return m_bindCount; }
    void drop() override;
    // The largest fragment the server takes from us, as the bind settled it (0 when unbound).
    std::uint32_t sendFragment() const { return m_sendFragment; }
    // The account of the last logon that opened the pipe (a user name, or a ticket's
    // principal); empty before the first.
    const std::u16string& account() const { return m_account; }
    // Opens this pipe on the SMB connection of `base` (another pipe to the same server) from
    // now on, binding it there without a connection and logon of its own, and again whenever
    // `base` has connected afresh. Where that cannot be done, it connects by itself.
    void openBeside(SambaPipe& base) { m_base = &base; }

private:
    Status connect();
    Status connectBeside(const std::string& host);

    SambaRpcLibrary& m_library;
    SmbContext& m_context;
    std::u16string m_server;
    std::string m_pipeName;
    SyntaxId m_syntax;
    CallGuard m_guard;
    SambaPipe* m_base = nullptr;
    std::uint32_t m_baseBind = 0; // the bind of the base this pipe was opened beside
    corvane_rpc_pipe* m_pipe = nullptr;
    std::uint32_t m_bindCount = 0;
    std::uint32_t m_sendFragment = 0;
    std::u16string m_account;
};

} // namespace corvane::smb

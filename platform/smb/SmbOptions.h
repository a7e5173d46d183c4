#pragma once

#include "codec/SrvsvcCodec.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::smb {

enum class KerberosMode {
    Auto, // use a ticket cache when one is present, falling back to asking
    Off,
};

// How one connection is secured. Signing is required by default, as current Windows clients
// require it on every connection.
struct ConnectionSecurity {
    bool requireSigning = true;
    bool requireEncryption = false; // refuse a server without SMB3 encryption
    bool kerberosOnly = false;      // never a password (NTLM) logon: a ticket or nothing
    bool operator==(const ConnectionSecurity&) const = default;
};

struct SmbOptions {
    // A call whose server makes no progress for this long fails (connect, logon, open, bind,
    // request and answer, directory listing); a long answer that keeps arriving is not cut off.
    std::chrono::milliseconds timeout{20000};
    KerberosMode kerberos = KerberosMode::Auto;
    // How many times a refused logon is asked again before the call fails.
    int maxLogonAttempts = 5;
    // Preferred length passed to NetrShareEnum; smaller values make servers answer in parts.
    std::uint32_t enumPreferredLength = srvsvc::MaxPreferredLength;
    ConnectionSecurity security;
    // Servers, by the name or address they are opened by, that may connect without signing.
    std::vector<std::u16string> unsignedAllowed;
    // Other networks of this process call other servers at the same time (a scan of many
    // servers): a call's connections are then only those to its own server's addresses, never
    // another thread's, which its timeout or cancel must not reset.
    bool concurrent = false;
};

// The security of connections to `server`: the options' own, with signing relaxed for a server
// listed as allowed without it (letter case and leading backslashes aside).
ConnectionSecurity securityFor(const SmbOptions& options, std::u16string_view server);

} // namespace corvane::smb

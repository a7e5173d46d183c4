#pragma once

#include "codec/SrvsvcCodec.h"

#include <chrono>
#include <cstdint>

namespace corvane::smb {

enum class KerberosMode {
    Auto, // use a ticket cache when one is present, falling back to asking
    Off,
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
};

} // namespace corvane::smb

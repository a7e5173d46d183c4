#pragma once

#include "RpcPdu.h"
#include "SrvsvcCodec.h"

#include <chrono>
#include <cstdint>

namespace corvane::smb {

enum class KerberosMode {
    Auto, // use a ticket cache when one is present, falling back to asking
    Off,
};

struct SmbOptions {
    // Every SMB request (connect, open, read, write, list) gives up after this long.
    std::chrono::milliseconds timeout{20000};
    // The largest fragment we send and accept, proposed at bind time.
    std::uint16_t maxFragment = pdu::DefaultFragment;
    KerberosMode kerberos = KerberosMode::Auto;
    // How many times a refused logon is asked again before the call fails.
    int maxLogonAttempts = 5;
    // Preferred length passed to NetrShareEnum; smaller values make servers answer in parts.
    std::uint32_t enumPreferredLength = srvsvc::MaxPreferredLength;
};

} // namespace corvane::smb

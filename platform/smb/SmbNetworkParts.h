#pragma once

// What the files of SmbNetwork share and nothing else sees: a server's pipes and state, the
// scope of a public call, and the one sequence every server-service call follows.
#include "CallWatchdog.h"
#include "LsaPolicy.h"
#include "SambaPipe.h"
#include "SmbNetwork.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace corvane::smb {

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

template <class Decoded, class Decode>
Status SmbNetwork::srvsvcExchange(const std::u16string& server, std::uint16_t opnum,
                                  const std::vector<std::uint8_t>& stub, bool idempotent,
                                  Decode decode, Decoded& decoded) {
    std::vector<std::uint8_t> reply;
    if (Status s = srvsvcCall(server, opnum, stub, reply, idempotent); s != status::Success)
        return s;
    return decode(reply, decoded);
}

} // namespace corvane::smb

#include "SessionCodec.h"

#include "Ndr.h"
#include "Utf.h"
#include "platform/WellKnownAccounts.h"

namespace corvane::smb::sessions {

namespace {

// Fixed parts: SESSION_INFO_1 two pointers and four numbers, FILE_INFO_3 three numbers and
// two pointers.
constexpr std::size_t SessionFixedSize = 24;
constexpr std::size_t FileFixedSize = 20;

struct Pointers {
    bool first = false, second = false;
};

void readSessionFixed(NdrReader& r, SessionInfo& s, Pointers& p) {
    p.first = r.pointer();
    p.second = r.pointer();
    s.openFiles = r.u32();
    s.activeSeconds = r.u32();
    s.idleSeconds = r.u32();
    s.guest = (r.u32() & SessGuest) != 0;
}

void readSessionDeferred(NdrReader& r, SessionInfo& s, const Pointers& p) {
    if (p.first)
        s.client = r.conformantString();
    if (p.second)
        s.user = r.conformantString();
}

void readFileFixed(NdrReader& r, OpenFileInfo& f, Pointers& p) {
    f.id = r.u32();
    f.permissions = r.u32();
    f.locks = r.u32();
    p.first = r.pointer();
    p.second = r.pointer();
}

void readFileDeferred(NdrReader& r, OpenFileInfo& f, const Pointers& p) {
    if (p.first)
        f.path = r.conformantString();
    if (p.second)
        f.user = r.conformantString();
}

std::u16string withBackslashes(std::u16string_view client) {
    while (!client.empty() && client.front() == u'\\')
        client.remove_prefix(1);
    std::u16string out = u"\\\\";
    out += client;
    return out;
}

// A client address as one text: no leading backslashes, no brackets, an IPv4 address mapped
// into IPv6 as the IPv4 address itself.
std::u16string plainAddress(std::u16string_view client) {
    while (!client.empty() && client.front() == u'\\')
        client.remove_prefix(1);
    if (client.size() >= 2 && client.front() == u'[' && client.back() == u']')
        client = client.substr(1, client.size() - 2);
    std::u16string out = asciiLower(client);
    constexpr std::u16string_view Mapped = u"::ffff:";
    if (out.starts_with(Mapped) && out.find(u'.') != std::u16string::npos)
        out.erase(0, Mapped.size());
    return out;
}

// The user name alone: DOMAIN\user and user@REALM without their domain.
std::u16string plainUser(std::u16string_view user) {
    if (const auto slash = user.rfind(u'\\'); slash != std::u16string_view::npos)
        user.remove_prefix(slash + 1);
    if (const auto at = user.find(u'@'); at != std::u16string_view::npos)
        user = user.substr(0, at);
    return asciiLower(user);
}

} // namespace

void markOwnSessions(std::vector<SessionInfo>& sessions,
                     const std::set<std::string>& clientAddresses, std::u16string_view account) {
    const std::u16string user = plainUser(account);
    std::set<std::u16string> clients;
    for (const std::string& a : clientAddresses)
        clients.insert(plainAddress(fromUtf8(a)));
    for (SessionInfo& s : sessions)
        s.thisProgram = (!user.empty() || !clients.empty()) &&
                        (user.empty() || plainUser(s.user) == user) &&
                        (clients.empty() || clients.contains(plainAddress(s.client)));
}

std::vector<std::uint8_t> encodeSessionEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                            std::uint32_t preferredLength) {
    // No client and no user to narrow the answer to.
    return encodeEnumRequest(server, 2, SessionLevel, resumeHandle, preferredLength);
}

std::vector<std::uint8_t> encodeFileEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                         std::uint32_t preferredLength) {
    // No base path and no user to narrow the answer to.
    return encodeEnumRequest(server, 2, FileLevel, resumeHandle, preferredLength);
}

std::vector<std::uint8_t> encodeSessionDel(std::u16string_view server, std::u16string_view client,
                                           std::u16string_view user) {
    NdrWriter w;
    w.uniqueString(server);
    w.uniqueString(withBackslashes(client));
    // Always named, even when empty: without a user the server ends every session from that
    // client, the caller's own included.
    w.uniqueString(user);
    return w.take();
}

std::vector<std::uint8_t> encodeFileClose(std::u16string_view server, std::uint32_t id) {
    NdrWriter w;
    w.uniqueString(server);
    w.u32(id);
    return w.take();
}

Status decodeSessionEnum(std::span<const std::uint8_t> stub, SessionEnumReply& out) {
    return decodeEnumReply<Pointers>(stub, SessionLevel, SessionFixedSize, MaxRecords,
                                     readSessionFixed, readSessionDeferred, out);
}

Status decodeFileEnum(std::span<const std::uint8_t> stub, FileEnumReply& out) {
    return decodeEnumReply<Pointers>(stub, FileLevel, FileFixedSize, MaxRecords, readFileFixed,
                                     readFileDeferred, out);
}

Status decodeResult(std::span<const std::uint8_t> stub, Status& result) {
    NdrReader r(stub);
    result = r.u32();
    return r.ok() ? status::Success : status::RpcProtocolError;
}

} // namespace corvane::smb::sessions

#include "SessionCodec.h"

#include "Ndr.h"

namespace corvane::smb::sessions {

namespace {

// Fixed parts: SESSION_INFO_1 two pointers and four numbers, FILE_INFO_3 three numbers and
// two pointers.
constexpr std::size_t SessionFixedSize = 24;
constexpr std::size_t FileFixedSize = 20;

std::vector<std::uint8_t> encodeEnum(std::u16string_view server, std::uint32_t level,
                                     std::uint32_t resumeHandle, std::uint32_t preferredLength,
                                     int filters) {
    NdrWriter w;
    const std::u16string name(server);
    w.uniqueString(&name);
    for (int i = 0; i < filters; ++i)
        w.nullPointer(); // no client / base path, no user name
    w.u32(level);
    w.u32(level);    // union discriminant
    w.referent();    // the container
    w.u32(0);        // EntriesRead
    w.nullPointer(); // Buffer
    w.u32(preferredLength);
    w.referent();
    w.u32(resumeHandle);
    return w.take();
}

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

template <typename Record, typename Fixed, typename Deferred>
Status decodeEnum(std::span<const std::uint8_t> stub, std::uint32_t wantedLevel,
                  std::size_t fixedSize, Fixed readFixed, Deferred readDeferred,
                  EnumReply<Record>& out) {
    out = {};
    NdrReader r(stub);
    const std::uint32_t level = r.u32();
    const std::uint32_t arm = r.u32();
    if (!r.ok() || level != wantedLevel || arm != wantedLevel)
        return status::RpcProtocolError;
    if (r.pointer()) {
        const std::uint32_t entries = r.u32();
        if (r.pointer()) {
            const std::uint32_t count = r.u32();
            if (count != entries || count > MaxRecords || !r.expectElements(count, fixedSize))
                return status::RpcProtocolError;
            std::vector<Pointers> pointers(count);
            out.records.resize(count);
            for (std::uint32_t i = 0; i < count; ++i)
                readFixed(r, out.records[i], pointers[i]);
            for (std::uint32_t i = 0; i < count && r.ok(); ++i)
                readDeferred(r, out.records[i], pointers[i]);
        } else if (entries != 0) {
            return status::RpcProtocolError;
        }
    }
    out.totalEntries = r.u32();
    if (r.pointer())
        out.resumeHandle = r.u32();
    out.result = r.u32();
    if (!r.ok()) {
        out.records.clear();
        return status::RpcProtocolError;
    }
    return status::Success;
}

std::u16string withBackslashes(std::u16string_view client) {
    while (!client.empty() && client.front() == u'\\')
        client.remove_prefix(1);
    std::u16string out = u"\\\\";
    out += client;
    return out;
}

} // namespace

std::vector<std::uint8_t> encodeSessionEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                            std::uint32_t preferredLength) {
    return encodeEnum(server, SessionLevel, resumeHandle, preferredLength, 2);
}

std::vector<std::uint8_t> encodeFileEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                         std::uint32_t preferredLength) {
    return encodeEnum(server, FileLevel, resumeHandle, preferredLength, 2);
}

std::vector<std::uint8_t> encodeSessionDel(std::u16string_view server, std::u16string_view client,
                                           std::u16string_view user) {
    NdrWriter w;
    const std::u16string name(server);
    const std::u16string clientArg = withBackslashes(client);
    const std::u16string userArg(user);
    w.uniqueString(&name);
    w.uniqueString(&clientArg);
    // Always named, even when empty: without a user the server ends every session from that
    // client, the caller's own included.
    w.uniqueString(&userArg);
    return w.take();
}

std::vector<std::uint8_t> encodeFileClose(std::u16string_view server, std::uint32_t id) {
    NdrWriter w;
    const std::u16string name(server);
    w.uniqueString(&name);
    w.u32(id);
    return w.take();
}

Status decodeSessionEnum(std::span<const std::uint8_t> stub, SessionEnumReply& out) {
    return decodeEnum(stub, SessionLevel, SessionFixedSize, readSessionFixed, readSessionDeferred,
                      out);
}

Status decodeFileEnum(std::span<const std::uint8_t> stub, FileEnumReply& out) {
    return decodeEnum(stub, FileLevel, FileFixedSize, readFileFixed, readFileDeferred, out);
}

Status decodeResult(std::span<const std::uint8_t> stub, Status& result) {
    NdrReader r(stub);
    result = r.u32();
    return r.ok() ? status::Success : status::RpcProtocolError;
}

} // namespace corvane::smb::sessions

#include "SamrCodec.h"

#include "LsarpcCodec.h"
#include "Ndr.h"

namespace corvane::smb::samr {

namespace {

// A conformant array of 32-bit relative identifiers behind a unique pointer, after its count.
Status readRids(NdrReader& r, std::uint32_t count, bool present, std::vector<std::uint32_t>& out,
                std::size_t stride) {
    out.clear();
    if (!present)
        return count == 0 && r.ok() ? status::Success : status::RpcProtocolError;
    const std::uint32_t conformance = r.u32();
    if (!r.ok() || conformance != count || count > MaxMemberships ||
        !r.expectElements(count, stride))
        return status::RpcProtocolError;
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        out.push_back(r.u32());
        if (stride == 8)
            r.u32(); // the group's attributes
    }
    return r.ok() ? status::Success : status::RpcProtocolError;
}

} // namespace

std::vector<std::uint8_t> encodeConnect2(std::u16string_view serverName,
                                         std::uint32_t desiredAccess) {
    NdrWriter w;
    w.uniqueString(serverName);
    w.align(4);
    w.u32(desiredAccess);
    return w.take();
}

std::vector<std::uint8_t> encodeOpenDomain(const Handle& server, std::uint32_t desiredAccess,
                                           const Sid& domain) {
    NdrWriter w;
    w.contextHandle(server);
    w.u32(desiredAccess);
    lsarpc::writeSid(w, domain); // a reference pointer: the pointee at once
    return w.take();
}

std::vector<std::uint8_t> encodeOpenUser(const Handle& domain, std::uint32_t desiredAccess,
                                         std::uint32_t rid) {
    NdrWriter w;
    w.contextHandle(domain);
    w.u32(desiredAccess);
    w.u32(rid);
    return w.take();
}

Status decodeHandle(std::span<const std::uint8_t> stub, Handle& handle, std::uint32_t& ntStatus) {
    return readHandleReply(stub, handle, ntStatus) ? status::Success : status::RpcProtocolError;
}

std::vector<std::uint8_t> encodeGetGroupsForUser(const Handle& user) {
    NdrWriter w;
    w.contextHandle(user);
    return w.take();
}

Status decodeGetGroupsForUser(std::span<const std::uint8_t> stub, std::vector<std::uint32_t>& rids,
                              std::uint32_t& ntStatus) {
    rids.clear();
    NdrReader r(stub);
    Status s = status::Success;
    if (r.pointer()) { // SAMPR_GET_GROUPS_BUFFER
        const std::uint32_t count = r.u32();
        const bool present = r.pointer();
        s = readRids(r, count, present, rids, 8);
    }
    ntStatus = r.u32();
    if (s != status::Success || !r.ok()) {
        rids.clear();
        return status::RpcProtocolError;
    }
    return status::Success;
}

std::vector<std::uint8_t> encodeGetAliasMembership(const Handle& domain,
                                                   const std::vector<Sid>& sids) {
    NdrWriter w;
    w.contextHandle(domain);
    const auto count = static_cast<std::uint32_t>(sids.size());
    w.u32(count);
    w.referent(); // Sids
    w.u32(count); // conformance
    for (std::size_t i = 0; i < sids.size(); ++i)
        w.referent(); // SidPointer
    for (const Sid& sid : sids)
        lsarpc::writeSid(w, sid);
    return w.take();
}

Status decodeGetAliasMembership(std::span<const std::uint8_t> stub,
                                std::vector<std::uint32_t>& rids, std::uint32_t& ntStatus) {
    rids.clear();
    NdrReader r(stub);
    const std::uint32_t count = r.u32();
    const bool present = r.pointer();
    const Status s = readRids(r, count, present, rids, 4);
    ntStatus = r.u32();
    if (s != status::Success || !r.ok()) {
        rids.clear();
        return status::RpcProtocolError;
    }
    return status::Success;
}

std::vector<std::uint8_t> encodeCloseHandle(const Handle& handle) {
    NdrWriter w;
    w.contextHandle(handle);
    return w.take();
}

} // namespace corvane::smb::samr

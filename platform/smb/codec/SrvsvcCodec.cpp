#include "SrvsvcCodec.h"

#include "Ndr.h"
#include "StatusMapping.h"

namespace corvane::smb {
namespace srvsvc {

namespace {

// Fixed part of SHARE_INFO_502_I: ten 4-byte fields; of SHARE_INFO_2, the first eight.
constexpr std::size_t Info502FixedSize = 40;
constexpr std::size_t Info2FixedSize = 32;

// SHARE_INFO_2 is SHARE_INFO_502_I without the last two fields.
void writeInfo(NdrWriter& w, const ShareInfo502& info, std::uint32_t level) {
    const bool with502 = level == Level502;
    w.referent();
    w.u32(info.type);
    w.referent();
    w.u32(info.permissions);
    w.u32(info.maxUses);
    w.u32(info.currentUses);
    w.referent();
    if (info.passwd)
        w.referent();
    else
        w.nullPointer();
    if (with502) {
        // On the wire the reserved field carries the descriptor's length.
        w.u32(static_cast<std::uint32_t>(info.securityDescriptor.size()));
        if (info.securityDescriptor.empty())
            w.nullPointer();
        else
            w.referent();
    }

    w.conformantString(info.netname);
    w.conformantString(info.remark);
    w.conformantString(info.path);
    if (info.passwd)
        w.conformantString(*info.passwd);
    if (with502 && !info.securityDescriptor.empty()) {
        w.u32(static_cast<std::uint32_t>(info.securityDescriptor.size()));
        w.bytes(info.securityDescriptor);
    }
}

struct Info502Pointers {
    bool netname = false, remark = false, path = false, passwd = false, descriptor = false;
    std::uint32_t descriptorLength = 0;
};

Info502Pointers readInfoFixed(NdrReader& r, ShareInfo502& info, std::uint32_t level) {
    Info502Pointers p;
    p.netname = r.pointer();
    info.type = r.u32();
    p.remark = r.pointer();
    info.permissions = r.u32();
    info.maxUses = r.u32();
    info.currentUses = r.u32();
    p.path = r.pointer();
    p.passwd = r.pointer();
    if (level == Level502) {
        p.descriptorLength = r.u32();
        p.descriptor = r.pointer();
    }
    info.reserved = 0;
    return p;
}

void readInfoDeferred(NdrReader& r, const Info502Pointers& p, ShareInfo502& info) {
    if (p.netname)
        info.netname = r.conformantString();
    if (p.remark)
        info.remark = r.conformantString();
    if (p.path)
        info.path = r.conformantString();
    if (p.passwd)
        info.passwd = r.conformantString();
    else
        info.passwd.reset();
    if (p.descriptor) {
        const std::uint32_t count = r.u32();
        if (count != p.descriptorLength || count > MaxDescriptorSize) {
            r.fail();
            return;
        }
        info.securityDescriptor = r.bytes(count);
    }
}

Status finish(NdrReader& r) {
    return r.ok() ? status::Success : status::RpcProtocolError;
}

Status decodeParmErr(std::span<const std::uint8_t> stub, ShareParmErrReply& out) {
    NdrReader r(stub);
    out.parmErr.reset();
    if (r.pointer())
        out.parmErr = r.u32();
    out.result = r.u32();
    return finish(r);
}

} // namespace

std::u16string serverArgument(std::u16string_view server) {
    while (!server.empty() && server.front() == u'\\')
        server.remove_prefix(1);
    std::u16string out = u"\\\\";
    out += server;
    return out;
}

std::vector<std::uint8_t> encodeShareEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                          std::uint32_t preferredLength, std::uint32_t level) {
    return encodeEnumRequest(server, 0, level, resumeHandle, preferredLength);
}

std::vector<std::uint8_t> encodeShareGetInfo(std::u16string_view server,
                                             std::u16string_view netname, std::uint32_t level) {
    NdrWriter w;
    w.uniqueString(server);
    w.conformantString(netname);
    w.u32(level);
    return w.take();
}

namespace {

// NetrShareSetInfo with the record at `level` (502 or 2).
std::vector<std::uint8_t> encodeShareSetInfoAt(std::u16string_view server,
                                               std::u16string_view netname,
                                               const ShareInfo502& info, std::uint32_t level) {
    NdrWriter w;
    w.uniqueString(server);
    w.conformantString(netname);
    w.u32(level);
    w.u32(level); // union discriminant
    w.referent(); // SHARE_INFO_502_I* or SHARE_INFO_2*
    writeInfo(w, info, level);
    w.nullPointer(); // ParmErr
    return w.take();
}

} // namespace

std::vector<std::uint8_t> encodeShareSetInfo(std::u16string_view server,
                                             std::u16string_view netname,
                                             const ShareInfo502& info) {
    return encodeShareSetInfoAt(server, netname, info, Level502);
}

std::vector<std::uint8_t> encodeShareSetInfo2(std::u16string_view server,
                                              std::u16string_view netname,
                                              const ShareInfo502& info) {
    return encodeShareSetInfoAt(server, netname, info, Level2);
}

std::vector<std::uint8_t> encodeShareSetSecurity(std::u16string_view server,
                                                 std::u16string_view netname,
                                                 std::span<const std::uint8_t> descriptor) {
    NdrWriter w;
    w.uniqueString(server);
    w.conformantString(netname);
    w.u32(Level1501);
    w.u32(Level1501); // union discriminant
    w.referent();     // SHARE_INFO_1501_I*
    w.u32(static_cast<std::uint32_t>(descriptor.size()));
    if (descriptor.empty()) {
        w.nullPointer();
    } else {
        w.referent();
        w.u32(static_cast<std::uint32_t>(descriptor.size()));
        w.bytes(descriptor);
    }
    w.nullPointer(); // ParmErr
    return w.take();
}

std::vector<std::uint8_t> encodeShareAdd(std::u16string_view server, const ShareInfo502& info) {
    NdrWriter w;
    w.uniqueString(server);
    w.u32(Level502);
    w.u32(Level502);
    w.referent();
    writeInfo(w, info, Level502);
    w.nullPointer();
    return w.take();
}

std::vector<std::uint8_t> encodeShareDel(std::u16string_view server, std::u16string_view netname) {
    NdrWriter w;
    w.uniqueString(server);
    w.conformantString(netname);
    w.u32(0);
    return w.take();
}

namespace {

Status decodeEnumAt(std::span<const std::uint8_t> stub, std::uint32_t level, ShareEnumReply& out) {
    return decodeEnumReply<Info502Pointers>(
        stub, level, level == Level502 ? Info502FixedSize : Info2FixedSize, MaxShareRecords,
        [level](NdrReader& r, ShareInfo502& info, Info502Pointers& p) {
            p = readInfoFixed(r, info, level);
        },
        [](NdrReader& r, ShareInfo502& info, const Info502Pointers& p) {
            readInfoDeferred(r, p, info);
        },
        out);
}

} // namespace

Status decodeShareEnum(std::span<const std::uint8_t> stub, ShareEnumReply& out) {
    return decodeEnumAt(stub, Level502, out);
}

Status decodeShareEnum2(std::span<const std::uint8_t> stub, ShareEnumReply& out) {
    return decodeEnumAt(stub, Level2, out);
}

namespace {

Status decodeGetInfo(std::span<const std::uint8_t> stub, std::uint32_t level,
                     ShareGetInfoReply& out) {
    out = {};
    NdrReader r(stub);
    const std::uint32_t arm = r.u32();
    if (!r.ok())
        return status::RpcProtocolError;
    if (arm != level)
        return status::InvalidTag;
    if (r.pointer()) {
        ShareInfo502 info;
        const Info502Pointers p = readInfoFixed(r, info, level);
        readInfoDeferred(r, p, info);
        out.info = std::move(info);
    }
    out.result = r.u32();
    if (!r.ok()) {
        out.info.reset();
        return status::RpcProtocolError;
    }
    return status::Success;
}

} // namespace

Status decodeShareGetInfo(std::span<const std::uint8_t> stub, ShareGetInfoReply& out) {
    return decodeGetInfo(stub, Level502, out);
}

Status decodeShareGetInfo2(std::span<const std::uint8_t> stub, ShareGetInfoReply& out) {
    return decodeGetInfo(stub, Level2, out);
}

Status decodeShareSetInfo(std::span<const std::uint8_t> stub, ShareParmErrReply& out) {
    return decodeParmErr(stub, out);
}

Status decodeShareAdd(std::span<const std::uint8_t> stub, ShareParmErrReply& out) {
    return decodeParmErr(stub, out);
}

Status decodeShareDel(std::span<const std::uint8_t> stub, Status& result) {
    NdrReader r(stub);
    result = r.u32();
    return finish(r);
}

} // namespace srvsvc

Status takeShareEnum(srvsvc::ShareEnumReply& decoded, std::uint32_t& resumeHandle,
                     std::vector<ShareInfo502>& out) {
    decoded.result = normalizeShareResult(ShareCall::Enumerate, decoded.result);
    return takeEnumRecords(decoded, resumeHandle, out);
}

Status applyLevel2Limit(Status call, std::span<const std::uint8_t> reply, ShareInfo502& info) {
    if (call == win32::ProcnumOutOfRange)
        return status::Success;
    if (call != status::Success)
        return call;
    srvsvc::ShareGetInfoReply limit;
    if (Status s = srvsvc::decodeShareGetInfo2(reply, limit); s != status::Success)
        return s;
    if (limit.result == status::InvalidLevel)
        return status::Success;
    if (limit.result != status::Success)
        return normalizeShareResult(ShareCall::GetInfo, limit.result);
    if (!limit.info)
        return status::RpcProtocolError;
    info.maxUses = limit.info->maxUses;
    return status::Success;
}

} // namespace corvane::smb

#include "LsarpcCodec.h"

#include "Ndr.h"
#include "StatusMapping.h"
#include "platform/ByteOrder.h"

namespace corvane::smb::lsarpc {

namespace {

// Entries past these limits are refused before anything is allocated for them; the server
// side limits its lists the same way.
constexpr std::uint32_t MaxLookupEntries = 20480;

SidNameUse toUse(std::uint16_t v) {
    if (v >= 1 && v <= 10)
        return static_cast<SidNameUse>(v);
    return SidNameUse::Unknown;
}

void readReferencedDomains(NdrReader& r, std::vector<ReferencedDomain>& out) {
    if (!r.pointer())
        return;
    const std::uint32_t entries = r.u32();
    const bool present = r.pointer();
    r.u32(); // MaxEntries
    if (!present) {
        if (entries != 0)
            r.fail();
        return;
    }
    const std::uint32_t count = r.u32();
    if (count != entries || count > MaxLookupEntries || !r.expectElements(count, 12)) {
        r.fail();
        return;
    }
    struct Fixed {
        std::uint16_t length, maximumLength;
        bool buffer, sid;
    };
    std::vector<Fixed> fixed(count);
    for (auto& f : fixed) {
        f.length = r.u16();
        f.maximumLength = r.u16();
        f.buffer = r.pointer();
        f.sid = r.pointer();
    }
    out.resize(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        if (fixed[i].buffer)
            out[i].name = r.unicodeStringBuffer(fixed[i].length, fixed[i].maximumLength);
        else if (fixed[i].length != 0)
            r.fail();
        if (fixed[i].sid)
            out[i].sid = readSid(r);
    }
}

Status finish(NdrReader& r) {
    return r.ok() ? status::Success : status::RpcProtocolError;
}

// A lookup's answer: the referenced domains, the list of translations (its Entries count, a
// unique pointer and the conformance; readList reads that many elements of at least minSize
// bytes each), the mapped count and the status.
template <typename Reply, typename ReadList>
Status decodeLookup(std::span<const std::uint8_t> stub, Reply& out, std::size_t minSize,
                    ReadList readList) {
    out = {};
    NdrReader r(stub);
    readReferencedDomains(r, out.domains);
    const std::uint32_t entries = r.u32();
    if (r.pointer()) {
        const std::uint32_t count = r.u32();
        if (count != entries || count > MaxLookupEntries || !r.expectElements(count, minSize))
            return status::RpcProtocolError;
        readList(r, count);
    } else if (entries != 0) {
        return status::RpcProtocolError;
    }
    out.mappedCount = r.u32();
    out.ntStatus = r.u32();
    return finish(r);
}

} // namespace

void writeSid(NdrWriter& w, const Sid& sid) {
    const auto& b = sid.bytes();
    w.u32(static_cast<std::uint32_t>(sid.subAuthorityCount()));
    w.bytes(std::span(b).first(8));
    for (std::size_t i = 0; i < sid.subAuthorityCount(); ++i)
        w.u32(sid.subAuthority(i));
}

std::optional<Sid> readSid(NdrReader& r) {
    const std::uint32_t count = r.u32();
    const std::uint8_t revision = r.u8();
    const std::uint8_t subCount = r.u8();
    if (!r.ok() || count != subCount || subCount > Sid::MaxSubAuthorities) {
        r.fail();
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes{revision, subCount};
    const auto authority = r.bytes(6);
    bytes.insert(bytes.end(), authority.begin(), authority.end());
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t le[4];
        putLe32(le, r.u32());
        bytes.insert(bytes.end(), le, le + 4);
    }
    if (!r.ok())
        return std::nullopt;
    auto sid = Sid::fromBytes(bytes);
    if (!sid)
        r.fail();
    return sid;
}

std::vector<std::uint8_t> encodeOpenPolicy2(std::u16string_view systemName,
                                            std::uint32_t desiredAccess) {
    NdrWriter w;
    w.uniqueString(systemName);
    // LSAPR_OBJECT_ATTRIBUTES, all empty.
    w.u32(24);
    w.nullPointer(); // RootDirectory
    w.nullPointer(); // ObjectName
    w.u32(0);        // Attributes
    w.nullPointer(); // SecurityDescriptor
    w.nullPointer(); // SecurityQualityOfService
    w.u32(desiredAccess);
    return w.take();
}

Status decodeOpenPolicy2(std::span<const std::uint8_t> stub, PolicyHandle& handle,
                         std::uint32_t& ntStatus) {
    return readHandleReply(stub, handle, ntStatus) ? status::Success : status::RpcProtocolError;
}

std::vector<std::uint8_t> encodeClose(const PolicyHandle& handle) {
    NdrWriter w;
    w.contextHandle(handle);
    return w.take();
}

Status decodeClose(std::span<const std::uint8_t> stub, std::uint32_t& ntStatus) {
    NdrReader r(stub);
    r.skip(sizeof(PolicyHandle));
    ntStatus = r.u32();
    return finish(r);
}

std::vector<std::uint8_t> encodeLookupNames(const PolicyHandle& handle,
                                            const std::vector<std::u16string>& names) {
    NdrWriter w;
    w.contextHandle(handle);
    const auto count = static_cast<std::uint32_t>(names.size());
    w.u32(count);
    w.u32(count); // conformance of the Names array
    for (const auto& n : names) {
        const auto bytes = static_cast<std::uint16_t>(n.size() * 2);
        w.u16(bytes); // Length
        w.u16(bytes); // MaximumLength
        w.referent();
    }
    for (const auto& n : names) {
        w.u32(static_cast<std::uint32_t>(n.size()));
        w.u32(0);
        w.u32(static_cast<std::uint32_t>(n.size()));
        for (char16_t c : n)
            w.u16(static_cast<std::uint16_t>(c));
    }
    w.u32(0);        // TranslatedSids.Entries
    w.nullPointer(); // TranslatedSids.Sids
    w.u16(LookupLevelWksta);
    w.u32(0); // MappedCount
    return w.take();
}

Status decodeLookupNames(std::span<const std::uint8_t> stub, LookupNamesReply& out) {
    return decodeLookup(stub, out, 12, [&out](NdrReader& r, std::uint32_t count) {
        out.sids.resize(count);
        for (auto& s : out.sids) {
            s.use = toUse(r.u16());
            s.relativeId = r.u32();
            s.domainIndex = static_cast<std::int32_t>(r.u32());
        }
    });
}

std::vector<std::uint8_t> encodeLookupSids(const PolicyHandle& handle,
                                           const std::vector<Sid>& sids) {
    NdrWriter w;
    w.contextHandle(handle);
    const auto count = static_cast<std::uint32_t>(sids.size());
    w.u32(count); // SidEnumBuffer.Entries
    w.referent(); // SidEnumBuffer.SidInfo
    w.u32(count); // conformance
    for (std::size_t i = 0; i < sids.size(); ++i)
        w.referent();
    for (const auto& sid : sids)
        writeSid(w, sid);
    w.u32(0);        // TranslatedNames.Entries
    w.nullPointer(); // TranslatedNames.Names
    w.u16(LookupLevelWksta);
    w.u32(0); // MappedCount
    return w.take();
}

Status decodeLookupSids(std::span<const std::uint8_t> stub, LookupSidsReply& out) {
    return decodeLookup(stub, out, 16, [&out](NdrReader& r, std::uint32_t count) {
        struct Fixed {
            std::uint16_t length, maximumLength;
            bool buffer;
        };
        std::vector<Fixed> fixed(count);
        out.names.resize(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            out.names[i].use = toUse(r.u16());
            r.align(4); // RPC_UNICODE_STRING is 4-aligned
            fixed[i].length = r.u16();
            fixed[i].maximumLength = r.u16();
            fixed[i].buffer = r.pointer();
            out.names[i].domainIndex = static_cast<std::int32_t>(r.u32());
        }
        for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
            if (fixed[i].buffer)
                out.names[i].name = r.unicodeStringBuffer(fixed[i].length, fixed[i].maximumLength);
            else if (fixed[i].length != 0)
                r.fail();
        }
    });
}

std::optional<Sid> sidOf(const TranslatedSid& translated,
                         const std::vector<ReferencedDomain>& domains) {
    if (translated.use == SidNameUse::Unknown || translated.use == SidNameUse::Invalid ||
        translated.domainIndex < 0 ||
        static_cast<std::size_t>(translated.domainIndex) >= domains.size())
        return std::nullopt;
    const auto& domainSid = domains[static_cast<std::size_t>(translated.domainIndex)].sid;
    if (!domainSid)
        return std::nullopt;
    if (translated.use == SidNameUse::Domain)
        return domainSid;
    if (domainSid->subAuthorityCount() >= Sid::MaxSubAuthorities)
        return std::nullopt;
    std::vector<std::uint8_t> bytes = domainSid->bytes();
    bytes[1] = static_cast<std::uint8_t>(bytes[1] + 1);
    std::uint8_t le[4];
    putLe32(le, translated.relativeId);
    bytes.insert(bytes.end(), le, le + 4);
    return Sid::fromBytes(bytes);
}

namespace {

// Only these two statuses mean the lookup ran; one entry is then either mapped or not.
Status lookupStatus(std::uint32_t ntStatus) {
    if (ntStatus == 0 || ntStatus == StatusSomeNotMapped)
        return status::Success;
    const Status s = statusFromNtStatus(ntStatus);
    return s == status::Success ? status::NoneMapped : s;
}

} // namespace

Status accountOf(const LookupNamesReply& reply, std::u16string_view name, Account& out) {
    if (Status s = lookupStatus(reply.ntStatus); s != status::Success)
        return s;
    if (reply.sids.size() != 1)
        return status::NoneMapped;
    const TranslatedSid& translated = reply.sids[0];
    const auto sid = sidOf(translated, reply.domains);
    if (!sid || !sid->isValid())
        return status::NoneMapped;
    out.sid = *sid;
    const auto slash = name.rfind(u'\\');
    out.name = std::u16string(slash == std::u16string_view::npos ? name : name.substr(slash + 1));
    out.domain = reply.domains[static_cast<std::size_t>(translated.domainIndex)].name;
    out.use = translated.use;
    return status::Success;
}

Status accountOf(const LookupSidsReply& reply, std::span<const Sid> asked, std::size_t index,
                 Account& out) {
    if (Status s = lookupStatus(reply.ntStatus); s != status::Success)
        return s;
    // An answer that does not name each SID in turn maps none of them.
    if (reply.names.size() != asked.size() || index >= asked.size())
        return status::NoneMapped;
    const TranslatedName& translated = reply.names[index];
    if (translated.use == SidNameUse::Unknown || translated.use == SidNameUse::Invalid ||
        translated.name.empty())
        return status::NoneMapped;
    out.sid = asked[index];
    out.name = translated.name;
    out.domain.clear();
    if (translated.domainIndex >= 0 &&
        static_cast<std::size_t>(translated.domainIndex) < reply.domains.size())
        out.domain = reply.domains[static_cast<std::size_t>(translated.domainIndex)].name;
    out.use = translated.use;
    return status::Success;
}

Status accountOf(const LookupSidsReply& reply, const Sid& sid, Account& out) {
    return accountOf(reply, std::span<const Sid>(&sid, 1), 0, out);
}

} // namespace corvane::smb::lsarpc

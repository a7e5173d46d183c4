#pragma once

#include "platform/AccountService.h"
#include "platform/Sid.h"
#include "platform/Status.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane::smb {

class NdrReader;
class NdrWriter;

// NDR stubs of the local security authority calls used for account look-ups. Decoders return
// Success or RpcProtocolError; the server's NTSTATUS goes to `ntStatus`.
namespace lsarpc {

inline constexpr std::uint16_t OpClose = 0;
inline constexpr std::uint16_t OpLookupNames = 14;
inline constexpr std::uint16_t OpLookupSids = 15;
inline constexpr std::uint16_t OpOpenPolicy2 = 44;

inline constexpr std::uint32_t PolicyLookupNames = 0x00000800;
// LsapLookupWksta: look in every place the server knows of.
inline constexpr std::uint16_t LookupLevelWksta = 1;

inline constexpr std::uint32_t StatusNoneMapped = 0xC0000073;
inline constexpr std::uint32_t StatusSomeNotMapped = 0x00000107;

using PolicyHandle = std::array<std::uint8_t, 20>;

// An RPC_SID as a pointee: its conformance (the sub-authority count), then the SID. The reader
// fails on a count that does not match the SID's own.
void writeSid(NdrWriter& w, const Sid& sid);
std::optional<Sid> readSid(NdrReader& r);

std::vector<std::uint8_t> encodeOpenPolicy2(std::u16string_view systemName,
                                            std::uint32_t desiredAccess);
Status decodeOpenPolicy2(std::span<const std::uint8_t> stub, PolicyHandle& handle,
                         std::uint32_t& ntStatus);

std::vector<std::uint8_t> encodeClose(const PolicyHandle& handle);
Status decodeClose(std::span<const std::uint8_t> stub, std::uint32_t& ntStatus);

struct ReferencedDomain {
    std::u16string name;
    std::optional<Sid> sid;
};

// One name's translation: its kind, the RID in its domain and the domain's index.
struct TranslatedSid {
    SidNameUse use = SidNameUse::Unknown;
    std::uint32_t relativeId = 0;
    std::int32_t domainIndex = -1;
};

struct LookupNamesReply {
    std::vector<ReferencedDomain> domains;
    std::vector<TranslatedSid> sids;
    std::uint32_t mappedCount = 0;
    std::uint32_t ntStatus = 0;
};

// The longest name a lookup can carry: its length in bytes is a 16-bit field.
inline constexpr std::size_t MaxNameLength = 32767;

// Every name must be at most MaxNameLength units long.
std::vector<std::uint8_t> encodeLookupNames(const PolicyHandle& handle,
                                            const std::vector<std::u16string>& names);
Status decodeLookupNames(std::span<const std::uint8_t> stub, LookupNamesReply& out);

struct TranslatedName {
    SidNameUse use = SidNameUse::Unknown;
    std::u16string name;
    std::int32_t domainIndex = -1;
};

struct LookupSidsReply {
    std::vector<ReferencedDomain> domains;
    std::vector<TranslatedName> names;
    std::uint32_t mappedCount = 0;
    std::uint32_t ntStatus = 0;
};

std::vector<std::uint8_t> encodeLookupSids(const PolicyHandle& handle,
                                           const std::vector<Sid>& sids);
Status decodeLookupSids(std::span<const std::uint8_t> stub, LookupSidsReply& out);

// The SID of a translated name: the domain's SID followed by the RID, or the domain's SID
// itself for a domain. Fails for unmapped names and bad indexes.
std::optional<Sid> sidOf(const TranslatedSid& translated,
                         const std::vector<ReferencedDomain>& domains);

// The account a one-entry lookup found. Success only for a success status (0, or "some not
// mapped") with the entry mapped: a SID for a name, a non-empty name for a SID. Any other
// status is a failure, NoneMapped where the server's status claims no failure (informational
// values): an empty account must never pass for a found one. `out` is written on Success only.
// `name` is the name as the caller wrote it; the account keeps it without a domain prefix.
Status accountOf(const LookupNamesReply& reply, std::u16string_view name, Account& out);
Status accountOf(const LookupSidsReply& reply, const Sid& sid, Account& out);
// The account of the index-th of the SIDs `asked` in one lookup, by the same rules.
Status accountOf(const LookupSidsReply& reply, std::span<const Sid> asked, std::size_t index,
                 Account& out);

} // namespace lsarpc
} // namespace corvane::smb

#pragma once

#include "platform/Sid.h"
#include "platform/Status.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane::smb {

// NDR stubs of the security account manager calls that read an account's group memberships
// (MS-SAMR). Decoders return Success or RpcProtocolError; the server's NTSTATUS goes to
// `ntStatus`.
namespace samr {

inline constexpr std::uint16_t OpCloseHandle = 1;
inline constexpr std::uint16_t OpOpenDomain = 7;
inline constexpr std::uint16_t OpGetAliasMembership = 16;
inline constexpr std::uint16_t OpOpenUser = 34;
inline constexpr std::uint16_t OpGetGroupsForUser = 39;
inline constexpr std::uint16_t OpConnect2 = 57;

inline constexpr std::uint32_t ServerLookupDomain = 0x00000020;
inline constexpr std::uint32_t DomainLookup = 0x00000200;
inline constexpr std::uint32_t UserListGroups = 0x00000100;

using Handle = std::array<std::uint8_t, 20>;

// More than this many groups or aliases in one answer is refused unread.
inline constexpr std::uint32_t MaxMemberships = 65536;

std::vector<std::uint8_t> encodeConnect2(std::u16string_view serverName,
                                         std::uint32_t desiredAccess);
std::vector<std::uint8_t> encodeOpenDomain(const Handle& server, std::uint32_t desiredAccess,
                                           const Sid& domain);
std::vector<std::uint8_t> encodeOpenUser(const Handle& domain, std::uint32_t desiredAccess,
                                         std::uint32_t rid);
// The answer of Connect2, OpenDomain and OpenUser: a handle and the status.
Status decodeHandle(std::span<const std::uint8_t> stub, Handle& handle, std::uint32_t& ntStatus);

std::vector<std::uint8_t> encodeGetGroupsForUser(const Handle& user);
// The relative identifiers of the user's groups in its domain.
Status decodeGetGroupsForUser(std::span<const std::uint8_t> stub, std::vector<std::uint32_t>& rids,
                              std::uint32_t& ntStatus);

std::vector<std::uint8_t> encodeGetAliasMembership(const Handle& domain,
                                                   const std::vector<Sid>& sids);
// The relative identifiers of the domain's aliases that hold any of the SIDs.
Status decodeGetAliasMembership(std::span<const std::uint8_t> stub,
                                std::vector<std::uint32_t>& rids, std::uint32_t& ntStatus);

std::vector<std::uint8_t> encodeCloseHandle(const Handle& handle);

} // namespace samr

} // namespace corvane::smb

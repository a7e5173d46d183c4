#pragma once

#include "platform/AccountService.h"
#include "platform/Acl.h"
#include "platform/Sid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// Where AddAceToAcl puts the new entry, and of which type and flags it is.
enum InsertionKind : std::int32_t {
    ExplicitAllow = 0,  // allowed, flags 3, after the leading explicit deny run
    ExplicitDeny = 1,   // denied, flags 3, first
    InheritedDeny = 2,  // denied, flags 0x13, after the explicit deny and allow runs
    InheritedAllow = 3, // allowed, flags 0x13, after those and the deny run that follows
};

inline constexpr std::uint8_t ExplicitAceFlags = ObjectInheritAce | ContainerInheritAce;
inline constexpr std::uint8_t InheritedAceFlags = ExplicitAceFlags | InheritedAce;

// A new list holding every entry of `old` (in order) plus one new entry for `sid`, placed by
// `kind`, sized exactly. On success the caller replaces its list by the result; on failure it
// returns nullopt and `old` is untouched.
std::optional<Acl> AddAceToAcl(std::int32_t kind, const std::optional<Acl>& old, const Sid& sid,
                               std::uint32_t mask);

// An exactly sized copy with the same revision and entries (no free space).
std::optional<Acl> CopyAcl(const Acl& acl);

// The lists the main window starts with: one explicit entry allowing Everyone GENERIC_ALL.
struct DefaultAcls {
    Acl currentAcl;
    Acl newShareAcl;
};

// Builds the default lists into `out`, looking Everyone up on the local computer: the lookup's
// failure when Everyone is not found, InsufficientBuffer when the lists could not be made.
// (`out` holds them only on Success: a list has no empty state.)
Status buildDefaultAcls(AccountService& accounts, std::optional<DefaultAcls>& out);
// The message for a failed buildDefaultAcls: "Could not find SID of 'Everyone'!", or for
// InsufficientBuffer "Could not add 'Everyone' to the default share security!".
std::string defaultAclsFailure(Status failure);

// A fresh default list (Everyone allowed GENERIC_ALL, explicit), without asking any server.
std::optional<Acl> everyoneFullControlAcl();

} // namespace corvane

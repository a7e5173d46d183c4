#pragma once

#include "AccountService.h"

#include <optional>
#include <string_view>

namespace corvane {

// Accounts that every Windows and Samba computer names the same way, resolved without asking
// a server: Everyone, CREATOR OWNER, NT AUTHORITY\SYSTEM, Authenticated Users, the BUILTIN
// aliases and a few more. Names match ignoring case, with or without their domain prefix.
std::optional<Account> wellKnownAccountByName(std::u16string_view name);
std::optional<Account> wellKnownAccountBySid(const Sid& sid);

// Lower-cases ASCII letters only; used for account-name matching.
std::u16string asciiLower(std::u16string_view text);

} // namespace corvane

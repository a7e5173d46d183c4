#pragma once

#include <array>
#include <cstdint>

namespace corvane::smb {

// An interface as a bind names it: its UUID and version.
struct SyntaxId {
    std::array<std::uint8_t, 16> uuid{}; // in wire order
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    friend bool operator==(const SyntaxId&, const SyntaxId&) = default;
};

// The interfaces, from their published UUIDs.
const SyntaxId& srvsvcSyntax();
const SyntaxId& lsarpcSyntax();
const SyntaxId& samrSyntax();

} // namespace corvane::smb

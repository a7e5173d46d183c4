#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A security identifier in its binary form: revision, sub-authority count, 48-bit identifier
// authority (big-endian) and the sub-authorities (little-endian), 8 + 4 * count bytes.
class Sid {
public:
    static constexpr std::size_t MaxSubAuthorities = 15;
    // The longest string form taken; the longest SID written plainly needs 184 characters.
    static constexpr std::size_t MaxTextLength = 256;

    Sid() = default;

    // Reads one SID from the start of `bytes`; further bytes are ignored. Fails on a
    // truncated or malformed SID.
    static std::optional<Sid> fromBytes(std::span<const std::uint8_t> bytes);
    // Parses "S-1-5-32-544" (decimal authority, or 0x-prefixed hexadecimal as the platform
    // also accepts for large authorities). Text longer than MaxTextLength or with more
    // than MaxSubAuthorities sub-authorities is refused before anything is built from it.
    static std::optional<Sid> fromString(std::string_view text);
    static Sid make(std::uint64_t authority, std::initializer_list<std::uint32_t> subAuthorities);

    bool isValid() const;
    std::size_t length() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::uint64_t authority() const;
    std::size_t subAuthorityCount() const;
    std::uint32_t subAuthority(std::size_t i) const;
    // The string form "S-1-..."; empty for an invalid SID.
    std::string toString() const;

    friend bool operator==(const Sid&, const Sid&) = default;

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace corvane

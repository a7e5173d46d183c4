#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

inline constexpr std::uint32_t StypeDisktree = 0;
inline constexpr std::uint32_t StypePrintq = 1;
inline constexpr std::uint32_t StypeDevice = 2;
inline constexpr std::uint32_t StypeIpc = 3;
inline constexpr std::uint32_t StypeTemporary = 0x40000000;
inline constexpr std::uint32_t StypeSpecial = 0x80000000;
inline constexpr std::uint32_t NoUserLimit = 0xFFFFFFFF;

// A share at information level 502, as the share service reads and writes it. Text is UTF-16.
// The security descriptor travels in self-relative form; empty means none (a null pointer).
struct ShareInfo502 {
    std::u16string netname;
    std::uint32_t type = StypeDisktree;
    std::u16string remark;
    std::uint32_t permissions = 0;
    std::uint32_t maxUses = NoUserLimit;
    std::uint32_t currentUses = 0;
    std::u16string path;
    std::optional<std::u16string> passwd;
    std::uint32_t reserved = 0;
    std::vector<std::uint8_t> securityDescriptor;

    friend bool operator==(const ShareInfo502&, const ShareInfo502&) = default;
};

} // namespace corvane

#include "Sid.h"

#include <array>
#include <cctype>
#include <charconv>

namespace corvane {

std::optional<Sid> Sid::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || bytes[0] != 1 || bytes[1] > MaxSubAuthorities)
        return std::nullopt;
    const std::size_t len = 8 + 4 * std::size_t(bytes[1]);
    if (bytes.size() < len)
        return std::nullopt;
    Sid sid;
    sid.m_bytes.assign(bytes.begin(), bytes.begin() + len);
    return sid;
}

Sid Sid::make(std::uint64_t authority, std::initializer_list<std::uint32_t> subAuthorities) {
    Sid sid;
    sid.m_bytes.push_back(1);
    sid.m_bytes.push_back(static_cast<std::uint8_t>(subAuthorities.size()));
    for (int shift = 40; shift >= 0; shift -= 8)
        sid.m_bytes.push_back(static_cast<std::uint8_t>(authority >> shift));
    for (std::uint32_t sub : subAuthorities)
        for (int shift = 0; shift < 32; shift += 8)
            sid.m_bytes.push_back(static_cast<std::uint8_t>(sub >> shift));
    return sid;
}

std::optional<Sid> Sid::fromString(std::string_view text) {
    if (text.size() > MaxTextLength || text.size() < 2 || (text[0] != 'S' && text[0] != 's') ||
        text[1] != '-')
        return std::nullopt;
    text.remove_prefix(2);
    // Revision, authority and the sub-authorities; a text with more parts is refused when the
    // first one too many turns up.
    std::array<std::string_view, 2 + MaxSubAuthorities> parts;
    std::size_t count = 0;
    while (true) {
        if (count == parts.size())
            return std::nullopt;
        const auto dash = text.find('-');
        parts[count++] = text.substr(0, dash);
        if (dash == std::string_view::npos)
            break;
        text.remove_prefix(dash + 1);
    }
    if (count < 2)
        return std::nullopt;
    auto parse = [](std::string_view part, std::uint64_t max) -> std::optional<std::uint64_t> {
        int base = 10;
        if (part.size() > 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
            part.remove_prefix(2);
            base = 16;
        }
        if (part.empty())
            return std::nullopt;
        std::uint64_t value = 0;
        auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value, base);
        if (ec != std::errc{} || end != part.data() + part.size() || value > max)
            return std::nullopt;
        return value;
    };
    const auto revision = parse(parts[0], 255);
    const auto authority = parse(parts[1], 0xFFFFFFFFFFFFull);
    if (!revision || *revision != 1 || !authority)
        return std::nullopt;
    Sid sid;
    sid.m_bytes.push_back(1);
    sid.m_bytes.push_back(static_cast<std::uint8_t>(count - 2));
    for (int shift = 40; shift >= 0; shift -= 8)
        sid.m_bytes.push_back(static_cast<std::uint8_t>(*authority >> shift));
    for (std::size_t i = 2; i < count; ++i) {
        const auto sub = parse(parts[i], 0xFFFFFFFFull);
        if (!sub)
            return std::nullopt;
        for (int shift = 0; shift < 32; shift += 8)
            sid.m_bytes.push_back(static_cast<std::uint8_t>(*sub >> shift));
    }
    return sid;
}

bool Sid::isValid() const {
    return m_bytes.size() >= 8 && m_bytes[0] == 1 && m_bytes[1] <= MaxSubAuthorities &&
           m_bytes.size() == 8 + 4 * std::size_t(m_bytes[1]);
}

std::uint64_t Sid::authority() const {
    if (!isValid())
        return 0;
    std::uint64_t value = 0;
    for (int i = 2; i < 8; ++i)
        value = (value << 8) | m_bytes[i];
    return value;
}

std::size_t Sid::subAuthorityCount() const {
    return isValid() ? m_bytes[1] : 0;
}

std::uint32_t Sid::subAuthority(std::size_t i) const {
    if (i >= subAuthorityCount())
        return 0;
    const std::size_t at = 8 + 4 * i;
    return std::uint32_t(m_bytes[at]) | std::uint32_t(m_bytes[at + 1]) << 8 |
           std::uint32_t(m_bytes[at + 2]) << 16 | std::uint32_t(m_bytes[at + 3]) << 24;
}

std::string Sid::toString() const {
    if (!isValid())
        return {};
    std::string text = "S-1-";
    const std::uint64_t auth = authority();
    if (auth >= (std::uint64_t(1) << 32)) {
        char buf[20];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, auth, 16);
        (void)ec;
        std::string hex(buf, end);
        for (auto& c : hex)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        text += "0x" + std::string(12 - hex.size(), '0') + hex;
    } else {
        text += std::to_string(auth);
    }
    for (std::size_t i = 0; i < subAuthorityCount(); ++i)
        text += "-" + std::to_string(subAuthority(i));
    return text;
}

} // namespace corvane

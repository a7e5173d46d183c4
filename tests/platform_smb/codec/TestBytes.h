#pragma once

#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::smb::test {

// Bytes from a hex text; spaces and line breaks are ignored.
inline std::vector<std::uint8_t> hex(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

} // namespace corvane::smb::test

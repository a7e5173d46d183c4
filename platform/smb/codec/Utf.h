#pragma once

#include <string>
#include <string_view>

namespace corvane::smb {

// UTF-16 <-> UTF-8 for URLs and credentials. Unpaired surrogates and malformed UTF-8 become
// U+FFFD rather than failing: a name the server sends must still be shown.
std::string toUtf8(std::u16string_view text);
// Appends to `out` in place, so that a secret leaves no converted copy behind (reserve room
// first to keep it in one buffer).
void appendUtf8(std::string& out, std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

} // namespace corvane::smb

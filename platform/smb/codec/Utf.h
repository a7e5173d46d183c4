#pragma once

#include <string>
#include <string_view>

namespace corvane::smb {

// UTF-16 <-> UTF-8 for URLs and credentials. Unpaired surrogates and malformed UTF-8 become
// U+FFFD rather than failing: a name the server sends must still be shown.
std::string toUtf8(std::u16string_view text);
// The UTF-8 of `text` written straight into a buffer of `utf8Length(text)` bytes, so that a
// secret converted into a buffer of its own leaves no other copy behind.
std::size_t utf8Length(std::u16string_view text);
void writeUtf8(std::u16string_view text, char* out);
std::u16string fromUtf8(std::string_view text);

} // namespace corvane::smb

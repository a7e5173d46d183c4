#include "Utf.h"

namespace corvane::smb {

namespace {

// Calls `put` with each byte of the UTF-8 of `c`.
template <typename Put> void encodeUtf8(char32_t c, Put&& put) {
    if (c < 0x80) {
        put(static_cast<char>(c));
    } else if (c < 0x800) {
        put(static_cast<char>(0xC0 | (c >> 6)));
        put(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        put(static_cast<char>(0xE0 | (c >> 12)));
        put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        put(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        put(static_cast<char>(0xF0 | (c >> 18)));
        put(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        put(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (c >> 10));
        out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

constexpr char32_t Replacement = 0xFFFD;

template <typename Put> void encodeUtf8(std::u16string_view text, Put&& put) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                c = Replacement;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = Replacement;
        }
        encodeUtf8(c, put);
    }
}

} // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    encodeUtf8(text, [&](char b) { out += b; });
    return out;
}

std::size_t utf8Length(std::u16string_view text) {
    std::size_t n = 0;
    encodeUtf8(text, [&](char) { ++n; });
    return n;
}

void writeUtf8(std::u16string_view text, char* out) {
    encodeUtf8(text, [&](char b) { *out++ = b; });
}

std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07, min = 0x10000;
        } else {
            appendUtf16(out, Replacement);
            ++i;
            continue;
        }
        std::size_t n = 1;
        bool good = true;
        for (; n <= extra; ++n) {
            if (i + n >= text.size() || (static_cast<unsigned char>(text[i + n]) & 0xC0) != 0x80) {
                good = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i + n]) & 0x3F);
        }
        if (!good || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            appendUtf16(out, Replacement);
            i += n; // the lead byte and the continuation bytes seen so far
            continue;
        }
        appendUtf16(out, c);
        i += n;
    }
    return out;
}

} // namespace corvane::smb

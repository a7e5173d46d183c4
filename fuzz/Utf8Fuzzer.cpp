// Directory names as libsmbclient hands them over (UTF-8 from the server), and names going
// the other way into URLs (UTF-16 to UTF-8).
#include "platform/smb/codec/Utf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace corvane::smb;

namespace {

void check(bool holds) {
    if (!holds)
        std::abort();
}

bool wellFormed(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string name = fromUtf8(bytes);
    check(wellFormed(name) && name.size() <= size);
    // The name shown is the name asked for again: it survives the way back unchanged, and a
    // name that needed no replacement is the server's bytes exactly.
    const std::string back = toUtf8(name);
    check(fromUtf8(back) == name);
    if (name.find(u'\uFFFD') == std::u16string::npos)
        check(back == bytes);

    std::u16string wide(size / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    const std::u16string again = fromUtf8(toUtf8(wide));
    check(wellFormed(again) && again.size() == wide.size());
    if (wellFormed(wide))
        check(again == wide);
    return 0;
}

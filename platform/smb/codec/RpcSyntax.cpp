#include "RpcSyntax.h"

#include "platform/ByteOrder.h"

#include <algorithm>

namespace corvane::smb {

namespace {

SyntaxId makeSyntax(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                    std::array<std::uint8_t, 8> d4, std::uint16_t major, std::uint16_t minor) {
    SyntaxId s;
    putLe32(s.uuid.data(), d1);
    putLe16(s.uuid.data() + 4, d2);
    putLe16(s.uuid.data() + 6, d3);
    std::copy(d4.begin(), d4.end(), s.uuid.begin() + 8);
    s.major = major;
    s.minor = minor;
    return s;
}

} // namespace

const SyntaxId& srvsvcSyntax() {
    static const SyntaxId s = makeSyntax(0x4b324fc8, 0x1670, 0x01d3,
                                         {0x12, 0x78, 0x5a, 0x47, 0xbf, 0x6e, 0xe1, 0x88}, 3, 0);
    return s;
}

const SyntaxId& lsarpcSyntax() {
    static const SyntaxId s = makeSyntax(0x12345778, 0x1234, 0xabcd,
                                         {0xef, 0x00, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab}, 0, 0);
    return s;
}

const SyntaxId& samrSyntax() {
    static const SyntaxId s = makeSyntax(0x12345778, 0x1234, 0xabcd,
                                         {0xef, 0x00, 0x01, 0x23, 0x45, 0x67, 0x89, 0xac}, 1, 0);
    return s;
}

} // namespace corvane::smb

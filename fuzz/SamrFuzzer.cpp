// Every security account manager answer. The first byte picks the decoder.
#include "platform/smb/codec/SamrCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace corvane::smb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> stub(data + 1, size - 1);
    std::uint32_t nt = 0;
    std::vector<std::uint32_t> rids;
    switch (data[0] % 3) {
    case 0: {
        samr::Handle h{};
        samr::decodeHandle(stub, h, nt);
        break;
    }
    case 1:
        samr::decodeGetGroupsForUser(stub, rids, nt);
        break;
    default:
        samr::decodeGetAliasMembership(stub, rids, nt);
        break;
    }
    return 0;
}

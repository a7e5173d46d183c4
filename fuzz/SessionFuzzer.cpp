// The server service's session and open-file answers. The first byte picks the decoder.
#include "platform/smb/codec/SessionCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace corvane;
using namespace corvane::smb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> stub(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0: {
        sessions::SessionEnumReply r;
        sessions::decodeSessionEnum(stub, r);
        break;
    }
    case 1: {
        sessions::FileEnumReply r;
        sessions::decodeFileEnum(stub, r);
        break;
    }
    default: {
        Status result = 0;
        sessions::decodeResult(stub, result);
        break;
    }
    }
    return 0;
}

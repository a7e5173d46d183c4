// Every local security authority answer. The first byte picks the decoder.
#include "platform/smb/codec/LsarpcCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace corvane::smb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> stub(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        lsarpc::LookupNamesReply r;
        if (lsarpc::decodeLookupNames(stub, r) == 0)
            for (const auto& t : r.sids)
                lsarpc::sidOf(t, r.domains);
        break;
    }
    case 1: {
        lsarpc::LookupSidsReply r;
        lsarpc::decodeLookupSids(stub, r);
        break;
    }
    case 2: {
        lsarpc::PolicyHandle h{};
        std::uint32_t nt = 0;
        lsarpc::decodeOpenPolicy2(stub, h, nt);
        break;
    }
    default: {
        std::uint32_t nt = 0;
        lsarpc::decodeClose(stub, nt);
        break;
    }
    }
    return 0;
}

// Every server service answer. The first byte picks the decoder.
#include "platform/SecurityDescriptor.h"
#include "platform/smb/codec/SrvsvcCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace corvane;
using namespace corvane::smb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> stub(data + 1, size - 1);
    switch (data[0] % 6) {
    case 0: {
        srvsvc::ShareEnumReply r;
        if (srvsvc::decodeShareEnum(stub, r) == 0)
            for (const auto& share : r.records)
                daclOf(share.securityDescriptor); // what the properties view does next
        break;
    }
    case 1: {
        srvsvc::ShareGetInfoReply r;
        if (srvsvc::decodeShareGetInfo(stub, r) == 0 && r.info)
            daclOf(r.info->securityDescriptor);
        break;
    }
    case 2: {
        srvsvc::ShareParmErrReply r;
        srvsvc::decodeShareSetInfo(stub, r);
        break;
    }
    case 3: {
        srvsvc::ShareParmErrReply r;
        srvsvc::decodeShareAdd(stub, r);
        break;
    }
    case 4: {
        Status result = 0;
        srvsvc::decodeShareDel(stub, result);
        break;
    }
    default: {
        // The level-2 answers: a share's record and the list.
        srvsvc::ShareGetInfoReply r;
        srvsvc::decodeShareGetInfo2(stub, r);
        srvsvc::ShareEnumReply e;
        srvsvc::decodeShareEnum2(stub, e);
        break;
    }
    }
    return 0;
}

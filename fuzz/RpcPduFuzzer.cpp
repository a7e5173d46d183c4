// PDU framing as read from a pipe: header, bind answer, and a response split into the
// fragments its own headers describe.
#include "platform/smb/RpcPdu.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace corvane::smb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    PduHeader header;
    decodeHeader(input, header);
    BindResult bind;
    decodeBindReply(input, 1, bind);

    ResponseAssembler assembler(1);
    std::size_t pos = 0;
    while (pos + pdu::HeaderSize <= size && !assembler.complete()) {
        PduHeader h;
        if (decodeHeader(input.subspan(pos), h) != 0 || h.fragLength > size - pos)
            break;
        if (assembler.add(input.subspan(pos, h.fragLength)) != 0)
            break;
        pos += h.fragLength;
    }
    return 0;
}

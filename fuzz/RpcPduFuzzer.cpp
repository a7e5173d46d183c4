// PDU framing as read from a pipe: header, bind answer, and a response split into the
// fragments its own headers describe.
#include "platform/smb/RpcPdu.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

using namespace corvane;
using namespace corvane::smb;

namespace {

// After the input's fragments its last one is sent again up to this many times, as a server
// that keeps sending would. The stub cap is lowered so that fragments of a few hundred bytes
// reach it (the real one would cost 16 MiB of copying per input).
constexpr std::size_t MaxRepeats = 256;
constexpr std::size_t MaxStub = 64 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    PduHeader header;
    decodeHeader(input, header);
    BindResult bind;
    decodeBindReply(input, 1, bind);

    std::vector<std::span<const std::uint8_t>> fragments;
    std::size_t pos = 0;
    while (pos + pdu::HeaderSize <= size) {
        PduHeader h;
        if (decodeHeader(input.subspan(pos), h) != 0 || h.fragLength > size - pos)
            break;
        fragments.push_back(input.subspan(pos, h.fragLength));
        pos += h.fragLength;
    }
    if (fragments.empty())
        return 0;
    ResponseAssembler assembler(1, MaxStub);
    for (std::size_t n = 0; n < fragments.size() + MaxRepeats; ++n) {
        const bool wasComplete = assembler.complete();
        const Status s = assembler.add(fragments[std::min(n, fragments.size() - 1)]);
        // Nothing is taken after the last fragment, and the stub never passes its cap.
        if ((wasComplete && s == 0) || assembler.stub().size() > MaxStub)
            std::abort();
        if (s != 0)
            break;
    }
    return 0;
}

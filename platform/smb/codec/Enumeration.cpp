#include "Enumeration.h"

namespace corvane::smb {

std::vector<std::uint8_t> encodeEnumRequest(std::u16string_view server, int filters,
                                            std::uint32_t level, std::uint32_t resumeHandle,
                                            std::uint32_t preferredLength) {
    NdrWriter w;
    w.uniqueString(server);
    for (int i = 0; i < filters; ++i)
        w.nullPointer();
    w.u32(level);
    w.u32(level);    // union discriminant
    w.referent();    // the container
    w.u32(0);        // EntriesRead
    w.nullPointer(); // Buffer
    w.u32(preferredLength);
    w.referent();
    w.u32(resumeHandle);
    return w.take();
}

} // namespace corvane::smb

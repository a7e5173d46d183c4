// A share's security descriptor as a server sends it. Whatever parses must write back into
// bytes that parse again to the same descriptor.
#include "platform/SecurityDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    daclOf(input);
    const auto sd = SecurityDescriptor::parse(input);
    if (!sd)
        return 0;
    const auto bytes = sd->toSelfRelative();
    const auto again = SecurityDescriptor::parse(bytes);
    if (!again || again->daclState() != sd->daclState() || again->dacl() != sd->dacl())
        std::abort();
    return 0;
}

// An access list taken from server data, then read entry by entry as the users list does.
#include "platform/Acl.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto acl = Acl::fromBytes(std::span<const std::uint8_t>(data, size));
    if (!acl)
        return 0;
    acl->sizeInfo();
    for (std::size_t i = 0; i <= acl->aceCount(); ++i) {
        const auto ace = acl->ace(i);
        if (ace && ace->sid)
            ace->sid->toString();
    }
    if (acl->aceCount() > 0)
        acl->deleteAce(0);
    return 0;
}

// What the program makes of a decoded answer: the parts of an enumeration, the user limit
// read at level 2, and the account of a lookup. Input: a selector byte, a 32-bit argument
// (the resume handle sent, or how the level-2 call went), then the answer's stub.
#include "platform/smb/codec/LsarpcCodec.h"
#include "platform/smb/codec/SrvsvcCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

using namespace corvane;
using namespace corvane::smb;

namespace {

void check(bool holds) {
    if (!holds)
        std::abort();
}

bool lookupRan(std::uint32_t ntStatus) {
    return ntStatus == 0 || ntStatus == lsarpc::StatusSomeNotMapped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const std::uint32_t argument =
        static_cast<std::uint32_t>(data[1]) | static_cast<std::uint32_t>(data[2]) << 8 |
        static_cast<std::uint32_t>(data[3]) << 16 | static_cast<std::uint32_t>(data[4]) << 24;
    const std::span<const std::uint8_t> stub(data + 5, size - 5);
    switch (data[0] % 4) {
    case 0: {
        srvsvc::ShareEnumReply r;
        if (srvsvc::decodeShareEnum(stub, r) != 0)
            break;
        const Status result = r.result;
        std::uint32_t resume = argument;
        std::vector<ShareInfo502> part;
        const Status s = takeShareEnum(r, resume, part);
        if (s == status::Success || s == status::MoreData) {
            check(s == result);
            // More without a new handle would ask for the same part for ever.
            check(s == status::Success || resume != argument);
        } else {
            check(part.empty() && resume == argument);
        }
        break;
    }
    case 1: {
        ShareInfo502 info;
        info.maxUses = 0xA5A5A5A5;
        if (applyLevel2Limit(argument, stub, info) != status::Success)
            check(info.maxUses == 0xA5A5A5A5);
        break;
    }
    case 2: {
        lsarpc::LookupNamesReply r;
        if (lsarpc::decodeLookupNames(stub, r) != 0)
            break;
        Account account;
        if (lsarpc::accountOf(r, u"DOMAIN\\name", account) == status::Success)
            check(lookupRan(r.ntStatus) && account.sid.isValid() && account.name == u"name");
        else
            check(!account.sid.isValid() && account.name.empty());
        break;
    }
    default: {
        lsarpc::LookupSidsReply r;
        if (lsarpc::decodeLookupSids(stub, r) != 0)
            break;
        const Sid sid = Sid::make(5, {21, 1, 2, 3, 1001});
        Account account;
        if (lsarpc::accountOf(r, sid, account) == status::Success)
            check(lookupRan(r.ntStatus) && !account.name.empty() && account.sid == sid &&
                  account.use != SidNameUse::Unknown && account.use != SidNameUse::Invalid);
        else
            check(account.name.empty() && !account.sid.isValid());
        break;
    }
    }
    return 0;
}

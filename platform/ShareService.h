#pragma once

#include "ShareInfo.h"
#include "Status.h"

#include <string>
#include <vector>

namespace corvane {

// The six calls of the network share service, always at level 502. `server` is passed as the
// program holds it, with no prefix added. Every result is a Win32/NERR status.
class ShareService {
public:
    virtual ~ShareService() = default;

    // Appends the next records to `out` (which it clears first). Returns Success when the
    // enumeration is complete, MoreData (234) when the caller must call again with the same
    // resume handle, anything else on failure (with `out` empty).
    virtual Status enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                             std::uint32_t& resumeHandle) = 0;
    // The same enumeration for a list that shows each share's name, type, path and comment:
    // the records may come without their descriptors (and with their real user limits), at a
    // lighter level where the server has one. By default enumerate().
    virtual Status listShares(const std::u16string& server, std::vector<ShareInfo502>& out,
                              std::uint32_t& resumeHandle) {
        return enumerate(server, out, resumeHandle);
    }
    virtual Status getInfo(const std::u16string& server, const std::u16string& netname,
                           ShareInfo502& out) = 0;
    // Changes remark, max uses and security descriptor of the share named `netname`.
    virtual Status setInfo(const std::u16string& server, const std::u16string& netname,
                           const ShareInfo502& info) = 0;
    virtual Status add(const std::u16string& server, const ShareInfo502& info) = 0;
    virtual Status remove(const std::u16string& server, const std::u16string& netname) = 0;

    // Reads a share to learn what a change whose answer was lost did on the server: like
    // getInfo, but it is never failed at once because an earlier call went unanswered, and a
    // backend whose server is reconnecting or restarting tries again within its bound.
    virtual Status checkInfo(const std::u16string& server, const std::u16string& netname,
                             ShareInfo502& out) {
        return getInfo(server, netname, out);
    }
};

} // namespace corvane

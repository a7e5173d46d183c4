// The share calls of the server service (srvsvc).
#include "SmbNetworkParts.h"

#include "SmbContext.h"
#include "codec/SrvsvcCodec.h"
#include "codec/StatusMapping.h"

#include <algorithm>
#include <thread>

namespace corvane::smb {

namespace {
// The first part of a list asked for: a screenful of rows from a server that answers in parts
// (Windows does; Samba answers everything at once whatever is asked), so that they show while
// the rest is read in parts of the usual size.
constexpr std::uint32_t FirstListPart = 16 * 1024;
} // namespace

Status SmbNetwork::enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                             std::uint32_t& resumeHandle) {
    return enumerateAt(server, srvsvc::Level502, m_options.enumPreferredLength, out, resumeHandle);
}

Status SmbNetwork::listShares(const std::u16string& server, std::vector<ShareInfo502>& out,
                              std::uint32_t& resumeHandle) {
    Server& s = serverFor(server);
    const std::uint32_t resume = resumeHandle;
    const std::uint32_t length = resume == 0
                                     ? std::min(FirstListPart, m_options.enumPreferredLength)
                                     : m_options.enumPreferredLength;
    if (!s.listsAtLevel2)
        return enumerateAt(server, srvsvc::Level502, length, out, resumeHandle);
    const Status listed = enumerateAt(server, srvsvc::Level2, length, out, resumeHandle);
    // A server without the level answers so at the first part; the list starts again at 502.
    if (resume != 0 || (listed != status::InvalidLevel && listed != status::NotSupported))
        return listed;
    s.listsAtLevel2 = false;
    return enumerateAt(server, srvsvc::Level502, length, out, resumeHandle);
}

Status SmbNetwork::enumerateAt(const std::u16string& server, std::uint32_t level,
                               std::uint32_t preferredLength, std::vector<ShareInfo502>& out,
                               std::uint32_t& resumeHandle) {
    const CallScope scope(*this, CallKind::Read);
    freshStart(server, resumeHandle);
    // An open or a refresh: account names are asked again from now on, in case they changed.
    if (resumeHandle == 0)
        serverFor(server).accounts.clear();
    // At level 502 the records keep the user limit Samba always reports as "no limit".
    // Nothing shows or keeps the limit of a listed share: whatever edits or copies a share
    // reads it again through getInfo, which asks for the real limit.
    out.clear();
    const auto stub = srvsvc::encodeShareEnum(srvsvc::serverArgument(connectName(server)),
                                              resumeHandle, preferredLength, level);
    srvsvc::ShareEnumReply decoded;
    if (Status s = srvsvcExchange(
            server, srvsvc::OpNetShareEnum, stub, true,
            level == srvsvc::Level2 ? srvsvc::decodeShareEnum2 : srvsvc::decodeShareEnum, decoded);
        s != status::Success)
        return s;
    return takeShareEnum(decoded, resumeHandle, out);
}

Status SmbNetwork::getInfo(const std::u16string& server, const std::u16string& netname,
                           ShareInfo502& out) {
    const CallScope scope(*this, CallKind::Read);
    const auto stub =
        srvsvc::encodeShareGetInfo(srvsvc::serverArgument(connectName(server)), netname);
    srvsvc::ShareGetInfoReply decoded;
    if (Status s = srvsvcExchange(server, srvsvc::OpNetShareGetInfo, stub, true,
                                  srvsvc::decodeShareGetInfo, decoded);
        s != status::Success)
        return s;
    if (decoded.result != status::Success)
        return normalizeShareResult(ShareCall::GetInfo, decoded.result);
    if (!decoded.info)
        return status::RpcProtocolError;
    // Samba 4.17 answers "no limit" at level 502 whatever the share's limit is and reports it
    // at level 2 only; Windows gives the same number at both levels.
    std::vector<std::uint8_t> limitReply;
    const auto limitStub = srvsvc::encodeShareGetInfo(srvsvc::serverArgument(connectName(server)),
                                                      netname, srvsvc::Level2);
    const Status limitCall =
        srvsvcCall(server, srvsvc::OpNetShareGetInfo, limitStub, limitReply, true);
    if (Status s = applyLevel2Limit(limitCall, limitReply, *decoded.info); s != status::Success)
        return s;
    out = std::move(*decoded.info);
    return status::Success;
}

namespace {
// Failures that say the server could not be reached, the connection broke or the answer was
// late, not what it holds of a share: a server that is restarting answers like this for a
// moment, and its first answers after it came back may take longer than the bound.
bool notReachedYet(Status s) {
    switch (s) {
    case status::SemaphoreTimeout:
    case status::BadNetPath:
    case status::UnexpectedNetworkError:
    case status::NetNameDeleted:
    case status::BrokenPipe:
    case status::PipeNotConnected:
    case status::RpcCallFailed:
    case status::RpcServerUnavailable:
        return true;
    default:
        return false;
    }
}
} // namespace

Status SmbNetwork::checkInfo(const std::u16string& server, const std::u16string& netname,
                             ShareInfo502& out) {
    const CallScope scope(*this, CallKind::Check);
    const auto deadline = WatchClock::now() + std::max(m_options.timeout, MinCheckWindow);
    for (;;) {
        const Status s = getInfo(server, netname, out);
        if (s == status::Success && (out.type & 0xFF) == StypeDisktree)
            return confirmServed(server, netname);
        if (!notReachedYet(s) || WatchClock::now() >= deadline)
            return s;
        {
            std::lock_guard lock(m_cancelMutex);
            if (m_cancelRequested)
                return status::Cancelled;
        }
        std::this_thread::sleep_for(CheckRetryPause);
    }
}

// Samba's RPC service runs in several worker processes, each with the share definitions it
// last loaded: after a connection broke, the next one may be served by a worker that still
// holds a share another worker has since removed (measured on 4.17: for as long as the worker
// lives). The file service loads the definitions afresh, so a share the RPC answer shows is
// looked for there as well; only an answer of "no such share" overrides the read.
Status SmbNetwork::confirmServed(const std::u16string& server, const std::u16string& netname) {
    const auto url = directoryUrl(connectName(server), netname);
    if (!url)
        return status::Success;
    Server& s = serverFor(server);
    m_context->secure(securityFor(m_options, connectName(server)));
    const Status served = guarded(
        s, [&] { return m_context->shareServed(*url); }, 0);
    return served == status::NetNameNotFound ? status::NetNameNotFound : status::Success;
}

Status SmbNetwork::setInfo(const std::u16string& server, const std::u16string& netname,
                           const ShareInfo502& info) {
    const CallScope scope(*this, CallKind::Change);
    // Three calls (level 502, the descriptor alone at 1501, the limit at 2), not one atomic
    // change: when a later one fails, its status is returned but what the earlier ones set
    // stays on the server (say, a new comment with the old limit). The caller sees the
    // failure and, reading the share again, what did change.
    const std::u16string serverArg = srvsvc::serverArgument(connectName(server));
    // Not sent again after a broken connection that may have delivered it: a server may run
    // its change-share command for each call, and a second run may meet a share already
    // changed by someone else in between.
    const auto call = [&](const std::vector<std::uint8_t>& stub) -> Status {
        srvsvc::ShareParmErrReply decoded;
        if (Status s = srvsvcExchange(server, srvsvc::OpNetShareSetInfo, stub, false,
                                      srvsvc::decodeShareSetInfo, decoded);
            s != status::Success)
            return s;
        return normalizeShareResult(ShareCall::SetInfo, decoded.result);
    };
    if (Status s = call(srvsvc::encodeShareSetInfo(serverArg, netname, info)); s != status::Success)
        return s;
    // The descriptor once more on its own: Samba drops the descriptor of a level-502 record
    // whenever the same call also runs its change-share command (it looks the share up again
    // after the configuration reload and finds no name). On other servers this repeats what
    // is already set.
    if (!info.securityDescriptor.empty()) {
        if (Status s =
                call(srvsvc::encodeShareSetSecurity(serverArg, netname, info.securityDescriptor));
            s != status::Success)
            return s;
    }
    // The user limit once more at level 2: Samba ignores it at level 502 (its level 1006
    // refuses any change). Windows takes only the comment and the limit from this record,
    // the values just written; neither server touches the descriptor at this level. A failure
    // here is the caller's to see, so a limit that did not stick is never reported as set.
    return call(srvsvc::encodeShareSetInfo2(serverArg, netname, info));
}

Status SmbNetwork::add(const std::u16string& server, const ShareInfo502& info) {
    const CallScope scope(*this, CallKind::Change);
    const auto stub = srvsvc::encodeShareAdd(srvsvc::serverArgument(connectName(server)), info);
    srvsvc::ShareParmErrReply decoded;
    if (Status s = srvsvcExchange(server, srvsvc::OpNetShareAdd, stub, false,
                                  srvsvc::decodeShareAdd, decoded);
        s != status::Success)
        return s;
    return normalizeShareResult(ShareCall::Add, decoded.result);
}

Status SmbNetwork::remove(const std::u16string& server, const std::u16string& netname) {
    const CallScope scope(*this, CallKind::Change);
    const auto stub = srvsvc::encodeShareDel(srvsvc::serverArgument(connectName(server)), netname);
    Status result = status::Success;
    if (Status s = srvsvcExchange(server, srvsvc::OpNetShareDel, stub, false,
                                  srvsvc::decodeShareDel, result);
        s != status::Success)
        return s;
    return normalizeShareResult(ShareCall::Remove, result);
}

} // namespace corvane::smb

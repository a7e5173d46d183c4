// The session and open-file calls of the server service (srvsvc).
#include "SmbNetworkParts.h"

#include "codec/SessionCodec.h"
#include "codec/SrvsvcCodec.h"

namespace corvane::smb {

Status SmbNetwork::enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                                     std::uint32_t& resumeHandle) {
    const CallScope scope(*this, CallKind::Read);
    freshStart(server, resumeHandle);
    out.clear();
    const auto stub = sessions::encodeSessionEnum(srvsvc::serverArgument(connectName(server)),
                                                  resumeHandle, m_options.enumPreferredLength);
    sessions::SessionEnumReply decoded;
    if (Status s = srvsvcExchange(server, sessions::OpNetSessionEnum, stub, true,
                                  sessions::decodeSessionEnum, decoded);
        s != status::Success)
        return s;
    const Status taken = takeEnumRecords(decoded, resumeHandle, out);
    // The pipe that just answered is open: its connection is one of the program's own.
    const Server& s = serverFor(server);
    sessions::markOwnSessions(out, CallWatchdog::localAddresses(s.peers), s.srvsvc->account());
    return taken;
}

Status SmbNetwork::enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                                  std::uint32_t& resumeHandle) {
    const CallScope scope(*this, CallKind::Read);
    freshStart(server, resumeHandle);
    out.clear();
    const auto stub = sessions::encodeFileEnum(srvsvc::serverArgument(connectName(server)),
                                               resumeHandle, m_options.enumPreferredLength);
    sessions::FileEnumReply decoded;
    if (Status s = srvsvcExchange(server, sessions::OpNetFileEnum, stub, true,
                                  sessions::decodeFileEnum, decoded);
        s != status::Success)
        return s;
    return takeEnumRecords(decoded, resumeHandle, out);
}

Status SmbNetwork::sessionCall(const std::u16string& server, std::uint16_t opnum,
                               const std::vector<std::uint8_t>& stub) {
    // Ending a session or closing a file is not idempotent enough to send twice: the second
    // call would report a failure for what the first one did.
    Status result = status::Success;
    if (Status s = srvsvcExchange(server, opnum, stub, false, sessions::decodeResult, result);
        s != status::Success)
        return s;
    return result;
}

Status SmbNetwork::deleteSession(const std::u16string& server, const std::u16string& client,
                                 const std::u16string& user) {
    const CallScope scope(*this, CallKind::Change);
    // A server may take an empty user as every user of that client, this program included.
    if (user.empty())
        return status::InvalidParameter;
    return sessionCall(
        server, sessions::OpNetSessionDel,
        sessions::encodeSessionDel(srvsvc::serverArgument(connectName(server)), client, user));
}

Status SmbNetwork::closeFile(const std::u16string& server, std::uint32_t id) {
    const CallScope scope(*this, CallKind::Change);
    return sessionCall(server, sessions::OpNetFileClose,
                       sessions::encodeFileClose(srvsvc::serverArgument(connectName(server)), id));
}

} // namespace corvane::smb

// Directories of the drive shares, through the file service (libsmbclient).
#include "SmbNetworkParts.h"

#include "SmbContext.h"

namespace corvane::smb {

Status SmbNetwork::listDirectories(const std::u16string& server, const std::u16string& nodePath,
                                   std::vector<std::u16string>& names) {
    const CallScope scope(*this, CallKind::Read);
    names.clear();
    const auto url = directoryUrl(connectName(server), nodePath);
    if (!url)
        return status::InvalidName;
    // The logon to a server is made (and asked for) on its IPC$ pipe, so that a refused
    // logon is told apart from a directory that may not be read.
    Server& s = serverFor(server);
    if (Status bound = s.srvsvc->ensureBound(); bound != status::Success)
        return bound;
    m_context->secure(securityFor(m_options, connectName(server)));
    const Status listed = guarded(
        s, [&] { return m_context->listDirectories(*url, names, MaxDirectoryEntries); },
        MaxDirectoryBytes);
    if (listed != status::Success)
        names.clear();
    return listed;
}

} // namespace corvane::smb

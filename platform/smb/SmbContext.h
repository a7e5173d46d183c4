#pragma once

#include "CredentialProvider.h"
#include "SmbOptions.h"
#include "Transfer.h"
#include "platform/Status.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct _SMBCCTX;
struct _SMBCFILE;

namespace corvane::smb {

// The program's one libsmbclient context: connections and logons per server, with the
// timeout applied to every request. Logons come from the CredentialProvider, asked once per
// server and asked again (with the reason) when the server refuses them.
class SmbContext {
public:
    SmbContext(CredentialProvider& provider, const SmbOptions& options);
    ~SmbContext();
    SmbContext(const SmbContext&) = delete;
    SmbContext& operator=(const SmbContext&) = delete;

    // Opens \\server\IPC$\pipe for reading and writing by `deadline`. Time spent asking the
    // user for a logon does not count: the deadline moves on by as much.
    Status openPipe(const std::u16string& server, const std::string& pipe, _SMBCFILE*& file,
                    Deadline& deadline, bool& timedOut);
    Status write(_SMBCFILE* file, std::span<const std::uint8_t> data, Deadline deadline,
                 TransferOutcome& outcome);
    Status readExact(_SMBCFILE* file, std::span<std::uint8_t> data, Deadline deadline,
                     TransferOutcome& outcome);
    void close(_SMBCFILE* file);

    // Names of the sub-directories in `url` (smb://server/share/path/), dot-names left out.
    Status listDirectories(const std::string& url, std::vector<std::u16string>& names);

    bool usesKerberos() const { return m_kerberos; }

private:
    static void authenticate(_SMBCCTX* ctx, const char* server, const char* share, char* workgroup,
                             int workgroupLength, char* user, int userLength, char* password,
                             int passwordLength);
    void forget(const std::string& key);
    void setTimeout(std::chrono::milliseconds timeout);

    CredentialProvider& m_provider;
    SmbOptions m_options;
    _SMBCCTX* m_ctx = nullptr;
    bool m_kerberos = false;
    // Logons of this run, by server name in lower case, as UTF-8 for the library.
    struct Logon {
        std::string user, domain, password;
    };
    std::map<std::string, Logon> m_logons;
};

// The order of logons tried when opening a pipe: the ticket cache first (when used), then the
// user's answers, asked again with the reason after each refusal, up to a limit.
class LogonAttempts {
public:
    LogonAttempts(bool kerberos, int maxAttempts);
    // Whether this attempt uses the ticket cache rather than an answer from the user.
    bool usesTicket() const { return m_kerberos && m_attempt == 0; }
    // Records a refusal with libsmbclient's errno; false when no attempt is left.
    bool refused(int err);
    // What the next question shows as the reason: nothing after a refused ticket, which the
    // user did not type.
    const std::u16string& failure() const { return m_failure; }

private:
    bool m_kerberos;
    int m_maxAttempts;
    int m_attempt = 0;
    int m_accessDenied = 0;
    std::u16string m_failure;
};

// The server part of an smb:// URL, or nothing when the name cannot be one.
std::optional<std::string> urlServer(std::u16string_view server);
// Percent-encodes one path component (a share or directory name) for an smb:// URL.
std::string urlComponent(std::u16string_view name);
// smb://server/share/dir/.../ for a node path such as C$\Data\Projects\ (backslash-separated,
// the first part a share). Fails for an empty or malformed path.
std::optional<std::string> directoryUrl(std::u16string_view server, std::u16string_view nodePath);

} // namespace corvane::smb

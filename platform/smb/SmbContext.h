#pragma once

#include "SmbOptions.h"
#include "platform/CredentialProvider.h"
#include "platform/Status.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct _SMBCCTX;

namespace corvane::smb {

// The program's one libsmbclient context, for directory listing, with the timeout applied to
// every request; and the logons of the run per server. Logons come from the
// CredentialProvider, asked once per server and asked again (with the reason) when the server
// refuses them.
class SmbContext {
public:
    SmbContext(CredentialProvider& provider, const SmbOptions& options);
    ~SmbContext();
    SmbContext(const SmbContext&) = delete;
    SmbContext& operator=(const SmbContext&) = delete;

    // Logons of this run, as UTF-8 for the libraries.
    struct Logon {
        std::string user, domain;
        Utf8Secret password;
    };
    // The logon kept for `server`, asking the provider (with `failure` as the reason) when none
    // is kept; nullptr when the user cancelled.
    const Logon* logonFor(const std::u16string& server, const std::u16string& failure);
    // Forgets a refused logon, so the next attempt asks again.
    void forgetLogon(const std::u16string& server);
    int maxLogonAttempts() const { return m_options.maxLogonAttempts; }
    // Drops the library's connections that no file or listing holds open, so that the next
    // listing connects afresh.
    void purgeConnections();

    // Names of the sub-directories in `url` (smb://server/share/path/), dot-names left out.
    // A directory with more than `maxEntries` entries fails with MoreData rather than grow
    // without limit.
    Status listDirectories(const std::string& url, std::vector<std::u16string>& names,
                           std::size_t maxEntries);

    // Whether the share named by `url` (smb://server/share/) is served: the server's file service
    // connects to it and reads its root (Success), refuses the account on it (AccessDenied), or
    // has no such share (NetNameNotFound); anything else is the failure to reach it.
    Status shareServed(const std::string& url);

    bool usesKerberos() const { return m_kerberos; }
    const SmbOptions& options() const { return m_options; }
    void setSecurityOptions(const ConnectionSecurity& security,
                            std::vector<std::u16string> unsignedAllowed);
    // Secures the listings that follow as `security` says; a change drops the connections
    // made under the settings before.
    void secure(const ConnectionSecurity& security);

private:
    static void authenticate(_SMBCCTX* ctx, const char* server, const char* share, char* workgroup,
                             int workgroupLength, char* user, int userLength, char* password,
                             int passwordLength);
    void forget(const std::string& key);

    CredentialProvider& m_provider;
    SmbOptions m_options;
    _SMBCCTX* m_ctx = nullptr;
    bool m_kerberos = false;
    std::optional<ConnectionSecurity> m_secured; // what the library's connections were made with
    // By server name in lower case.
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

#include "SmbContext.h"

#include "codec/StatusMapping.h"
#include "codec/Utf.h"

#include <libsmbclient.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

// Samba's configuration of this process (libsmbconf, which libsmbclient reads): a setting given
// as on a command line.
extern "C" bool lp_set_cmdline(const char* name, const char* value);

namespace corvane::smb {

namespace {

bool ticketCachePresent() {
    if (const char* name = std::getenv("KRB5CCNAME"); name && *name) {
        std::string_view cache(name);
        if (cache.starts_with("FILE:"))
            cache.remove_prefix(5);
        else if (cache.find(':') != std::string_view::npos)
            return true; // KEYRING:, KCM:, DIR: ... cannot be checked cheaply; trust it
        return ::access(std::string(cache).c_str(), R_OK) == 0;
    }
    const std::string file = "/tmp/krb5cc_" + std::to_string(::getuid());
    return ::access(file.c_str(), R_OK) == 0;
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The UTF-8 of a password, converted straight into its own buffer.
Utf8Secret utf8Secret(const Secret& password) {
    auto out = Utf8Secret::ofSize(utf8Length(password.view()));
    writeUtf8(password.view(), out.data());
    return out;
}

void copyOut(std::string_view value, char* buffer, int length) {
    if (!buffer || length <= 0)
        return;
    const auto n = std::min(value.size(), static_cast<std::size_t>(length - 1));
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
}

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '$';
}

const std::u16string LogonRefused = u"The user name or password is incorrect.";

// libsmbclient reports a wrong password and a logon that may not open the pipe alike
// (EACCES). Asking again five times would pester a user whose password is right but whose
// account is not allowed in; two more questions cover a mistyped password.
constexpr int MaxAccessDeniedReasks = 2;

} // namespace

LogonAttempts::LogonAttempts(bool kerberos, int maxAttempts)
    : m_kerberos(kerberos), m_maxAttempts(std::max(1, maxAttempts)) {}

bool LogonAttempts::refused(int err) {
    const bool ticket = usesTicket();
    ++m_attempt;
    if (!ticket) {
        m_failure = LogonRefused;
        if (err == EACCES && ++m_accessDenied > MaxAccessDeniedReasks)
            return false;
    }
    return m_attempt < m_maxAttempts;
}

std::optional<std::string> urlServer(std::u16string_view server) {
    while (!server.empty() && server.front() == u'\\')
        server.remove_prefix(1);
    if (server.empty())
        return std::nullopt;
    for (char16_t c : server)
        if (c <= u' ' || c == u'/' || c == u'\\' || c == u'@' || c == u';' || c == u'?' ||
            c == u'#' || c == u'%' || c == 0x7F)
            return std::nullopt;
    return toUtf8(server);
}

std::string urlComponent(std::u16string_view name) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : toUtf8(name)) {
        if (isUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> directoryUrl(std::u16string_view server, std::u16string_view nodePath) {
    const auto host = urlServer(server);
    if (!host)
        return std::nullopt;
    std::string url = "smb://" + *host + "/";
    bool any = false;
    std::size_t start = 0;
    while (start <= nodePath.size()) {
        std::size_t end = nodePath.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = nodePath.size();
        const auto part = nodePath.substr(start, end - start);
        if (!part.empty()) {
            if (part == u"." || part == u"..")
                return std::nullopt;
            url += urlComponent(part);
            url += '/';
            any = true;
        } else if (!any) {
            return std::nullopt; // the share must come first
        }
        start = end + 1;
    }
    if (!any)
        return std::nullopt;
    return url;
}

SmbContext::SmbContext(CredentialProvider& provider, const SmbOptions& options)
    : m_provider(provider), m_options(options) {
    m_kerberos = options.kerberos == KerberosMode::Auto && ticketCachePresent();
    m_ctx = smbc_new_context();
    if (!m_ctx)
        return;
    smbc_setDebug(m_ctx, 0);
    smbc_setOptionUserData(m_ctx, this);
    smbc_setFunctionAuthDataWithContext(m_ctx, &SmbContext::authenticate);
    // A refused logon must come back as a failure, not as an anonymous session.
    smbc_setOptionNoAutoAnonymousLogin(m_ctx, true);
    smbc_setOptionUseKerberos(m_ctx, m_kerberos);
    smbc_setOptionFallbackAfterKerberos(m_ctx, true);
    smbc_setTimeout(m_ctx, static_cast<int>(std::clamp<long long>(options.timeout.count(), 1,
                                                                  24LL * 3600 * 1000)));
    if (!smbc_init_context(m_ctx)) {
        smbc_free_context(m_ctx, 1);
        m_ctx = nullptr;
    }
}

SmbContext::~SmbContext() {
    if (m_ctx)
        smbc_free_context(m_ctx, 1);
}

void SmbContext::authenticate(SMBCCTX* ctx, const char* server, const char*, char* workgroup,
                              int workgroupLength, char* user, int userLength, char* password,
                              int passwordLength) {
    auto* self = static_cast<SmbContext*>(smbc_getOptionUserData(ctx));
    if (!self || !server)
        return;
    const auto it = self->m_logons.find(lowerAscii(server));
    if (it == self->m_logons.end() || (self->m_secured && self->m_secured->kerberosOnly))
        return; // a ticket cache, when present, does the logon
    copyOut(it->second.user, user, userLength);
    copyOut(it->second.password.view(), password, passwordLength);
    if (!it->second.domain.empty())
        copyOut(it->second.domain, workgroup, workgroupLength);
}

void SmbContext::forget(const std::string& key) {
    m_logons.erase(key); // the password is wiped as it goes
}

const SmbContext::Logon* SmbContext::logonFor(const std::u16string& server,
                                              const std::u16string& failure) {
    const auto host = urlServer(server);
    const std::string key = lowerAscii(host ? *host : toUtf8(server));
    if (const auto it = m_logons.find(key); it != m_logons.end())
        return &it->second;
    auto answer = m_provider.credentialsFor(server, failure);
    if (!answer)
        return nullptr;
    Logon& logon = m_logons[key];
    logon.user = toUtf8(answer->user);
    logon.domain = toUtf8(answer->domain);
    logon.password = utf8Secret(answer->password);
    return &logon; // the answer's own copy is wiped as it goes
}

void SmbContext::forgetLogon(const std::u16string& server) {
    const auto host = urlServer(server);
    forget(lowerAscii(host ? *host : toUtf8(server)));
}

void SmbContext::setSecurityOptions(const ConnectionSecurity& security,
                                    std::vector<std::u16string> unsignedAllowed) {
    m_options.security = security;
    m_options.unsignedAllowed = std::move(unsignedAllowed);
}

void SmbContext::secure(const ConnectionSecurity& security) {
    if (!m_ctx || m_secured == security)
        return;
    // libsmbclient takes its signing rule from the process's configuration, read when it
    // connects; encryption, once required, makes it require signing too.
    lp_set_cmdline("client signing", security.requireSigning ? "required" : "desired");
    smbc_setOptionSmbEncryptionLevel(m_ctx, security.requireEncryption ? SMBC_ENCRYPTLEVEL_REQUIRE
                                                                       : SMBC_ENCRYPTLEVEL_NONE);
    smbc_setOptionUseKerberos(m_ctx, m_kerberos || security.kerberosOnly);
    smbc_setOptionFallbackAfterKerberos(m_ctx, !security.kerberosOnly);
    purgeConnections();
    m_secured = security;
}

void SmbContext::purgeConnections() {
    if (m_ctx)
        smbc_getFunctionPurgeCachedServers(m_ctx)(m_ctx);
}

Status SmbContext::listDirectories(const std::string& url, std::vector<std::u16string>& names,
                                   std::size_t maxEntries) {
    names.clear();
    if (!m_ctx)
        return status::NotEnoughMemory;
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(m_ctx)(m_ctx, url.c_str());
    if (!dir)
        return statusFromErrno(errno, ErrnoContext::Directory);
    std::size_t entries = 0;
    Status result = status::Success;
    while (const smbc_dirent* entry = smbc_getFunctionReaddir(m_ctx)(m_ctx, dir)) {
        if (++entries > maxEntries) {
            names.clear();
            result = status::MoreData;
            break;
        }
        if (entry->smbc_type != SMBC_DIR || entry->name[0] == '.' || entry->name[0] == '\0')
            continue;
        names.push_back(fromUtf8(entry->name));
    }
    smbc_getFunctionClosedir(m_ctx)(m_ctx, dir);
    return result;
}

Status SmbContext::shareServed(const std::string& url) {
    if (!m_ctx)
        return status::NotEnoughMemory;
    struct stat st {};
    errno = 0;
    if (smbc_getFunctionStat(m_ctx)(m_ctx, url.c_str(), &st) == 0)
        return status::Success;
    switch (errno) {
    case EACCES:
    case EPERM:
        return status::AccessDenied;
    case ENOENT:
    case ENODEV:
        return status::NetNameNotFound;
    default:
        return statusFromErrno(errno, ErrnoContext::Directory);
    }
}

} // namespace corvane::smb

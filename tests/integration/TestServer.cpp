#include "TestServer.h"

#include "platform/smb/codec/Utf.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace corvane::integration {

int shell(const std::string& command, std::string* output) {
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        text.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string envValue(const std::string& lines, const std::string& key) {
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with(key + "="))
            return line.substr(key.size() + 1);
    return {};
}

TestServer::TestServer(std::string address, ServerKind kind)
    : m_address(std::move(address)), m_kind(kind) {
    if (run("env", &m_env) != 0)
        throw std::runtime_error("the test server's env failed for " + m_address);
}

ServerKind TestServer::runKind() {
    const char* kind = std::getenv("CORVANE_TEST_SERVER_KIND");
    return kind && std::string(kind) == "windows-like" ? ServerKind::WindowsLike
                                                       : ServerKind::Samba;
}

const TestServer& TestServer::primary() {
    static const TestServer server(
        runKind() == ServerKind::WindowsLike ? CORVANE_TEST_WINLIKE_PRIMARY : CORVANE_TEST_PRIMARY,
        runKind());
    return server;
}

const TestServer& TestServer::secondary() {
    static const TestServer server(runKind() == ServerKind::WindowsLike
                                       ? CORVANE_TEST_WINLIKE_SECONDARY
                                       : CORVANE_TEST_SECONDARY,
                                   runKind());
    return server;
}

int TestServer::run(const std::string& command, std::string* output) const {
    const char* script = windowsLike() ? CORVANE_TEST_WINLIKE_SCRIPT : CORVANE_TEST_SERVER_SCRIPT;
    return shell(quoted(script) + " " + command + " --addr " + m_address, output);
}

std::string TestServer::value(const std::string& key) const {
    return envValue(m_env, key);
}

std::u16string TestServer::address() const {
    return smb::fromUtf8(m_address);
}
std::u16string TestServer::netbiosName() const {
    return smb::fromUtf8(value("CORVANE_TEST_SERVER_NAME"));
}
std::u16string TestServer::adminUser() const {
    return smb::fromUtf8(value("CORVANE_TEST_ADMIN_USER"));
}
std::u16string TestServer::user1() const {
    return smb::fromUtf8(value("CORVANE_TEST_USER1"));
}
std::u16string TestServer::user2() const {
    return smb::fromUtf8(value("CORVANE_TEST_USER2"));
}
std::u16string TestServer::group() const {
    return smb::fromUtf8(value("CORVANE_TEST_GROUP"));
}

std::u16string TestServer::serverPath(const std::string& drive, const std::string& relative) const {
    std::string path =
        windowsLike() ? drive + ":" : "C:" + value("CORVANE_TEST_SERVER_DIR") + "/" + drive;
    if (!relative.empty() || windowsLike())
        path += "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return smb::fromUtf8(path);
}

Credentials TestServer::adminCredentials() const {
    return {adminUser(), u"", smb::fromUtf8(value("CORVANE_TEST_ADMIN_PASSWORD"))};
}

std::string TestServer::shareParameter(const std::string& share,
                                       const std::string& parameter) const {
    std::string out;
    if (windowsLike()) {
        const std::string field = parameter == "max connections" ? "max_uses"
                                  : parameter == "comment"       ? "remark"
                                                                 : parameter;
        run("get " + quoted(share) + " " + field, &out);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
            out.pop_back();
        // The state keeps "no limit" as the protocol's 0xFFFFFFFF; Samba has no parameter then.
        return field == "max_uses" && out == "4294967295" ? std::string() : out;
    }
    shell("net -s " + quoted(value("CORVANE_TEST_SERVER_CONF")) + " conf getparm " + quoted(share) +
              " " + quoted(parameter),
          &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

smb::SmbOptions integrationOptions(std::chrono::milliseconds timeout) {
    smb::SmbOptions o;
    o.timeout = timeout;
    o.kerberos = smb::KerberosMode::Off;
    return o;
}

Session::Session(const TestServer& server, smb::SmbOptions options)
    : credentials(server.adminCredentials()), network(credentials, options) {}

std::vector<ShareInfo502> enumerateAll(ShareService& service, const std::u16string& server,
                                       Status* result) {
    std::vector<ShareInfo502> all, part;
    std::uint32_t resume = 0;
    Status last = status::Success;
    do {
        last = service.enumerate(server, part, resume);
        all.insert(all.end(), part.begin(), part.end());
    } while (last == status::MoreData);
    if (result)
        *result = last;
    return all;
}

std::vector<std::u16string> shareNames(const TestServer& server) {
    Session fresh(server);
    Status result = status::Success;
    const auto shares = enumerateAll(fresh.network, server.address(), &result);
    if (result != status::Success)
        throw std::runtime_error("listing the shares of " + server.addressUtf8() + " failed");
    std::vector<std::u16string> names;
    for (const auto& s : shares)
        names.push_back(s.netname);
    return names;
}

bool listedOn(const TestServer& server, const std::u16string& netname) {
    const auto names = shareNames(server);
    return std::find(names.begin(), names.end(), netname) != names.end();
}

Status readBack(const TestServer& server, const std::u16string& netname, ShareInfo502& out) {
    Session fresh(server);
    enumerateAll(fresh.network, server.address());
    return fresh.network.getInfo(server.address(), netname, out);
}

std::string userLimit(const TestServer& server, const std::u16string& share) {
    const std::string value = server.shareParameter(smb::toUtf8(share), "max connections");
    return value.empty() ? "0" : value;
}

} // namespace corvane::integration

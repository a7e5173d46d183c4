#pragma once

#include "platform/smb/SmbNetwork.h"
#include "tests/support/StaticCredentials.h"

#include <chrono>
#include <string>
#include <vector>

namespace corvane::integration {

// Runs `command` in the shell, its errors dropped; `output`, when given, receives what it
// printed. Returns its exit status, or -1 when it did not end normally.
int shell(const std::string& command, std::string* output = nullptr);
// `s` in single quotes for the shell.
std::string quoted(const std::string& s);
// The value of `key` in NAME=value lines such as the test servers print; empty when absent.
std::string envValue(const std::string& lines, const std::string& key);

// The two kinds of test server: tools/test-server/test-server.sh runs Samba's smbd,
// winlike-server.sh a server that answers as Windows does where the two differ.
enum class ServerKind { Samba, WindowsLike };

// One sandboxed test server of tools/test-server, as the integration tests see it. The two
// that ctest starts for every run are primary() (127.0.0.2) and secondary() (127.0.0.3, for
// copying between computers). A test registered for the Windows-like servers runs with
// CORVANE_TEST_SERVER_KIND=windows-like, and then primary() and secondary() are those: one test
// body serves both kinds. Values come from the script's own "env" output.
class TestServer {
public:
    static const TestServer& primary();
    static const TestServer& secondary();
    // The kind this run tests: from CORVANE_TEST_SERVER_KIND, Samba when unset.
    static ServerKind runKind();
    explicit TestServer(std::string address, ServerKind kind = ServerKind::Samba);

    ServerKind kind() const { return m_kind; }
    bool windowsLike() const { return m_kind == ServerKind::WindowsLike; }

    std::u16string address() const; // what to type in the computer box: 127.0.0.2
    const std::string& addressUtf8() const { return m_address; }
    // Any line of the script's environment, e.g. value("CORVANE_TEST_SERVER_NAME").
    std::string value(const std::string& key) const;
    std::u16string netbiosName() const; // CORVANE2: the domain of its local accounts
    std::u16string adminUser() const;
    std::u16string user1() const; // alice
    std::u16string user2() const; // bob
    std::u16string group() const; // corvane-staff, a mapped group
    // The server's view of a directory below its drive roots: for ("C", "Data"), Samba's
    // C:\...\C\Data (its Unix path behind a drive letter), Windows' C:\Data.
    std::u16string serverPath(const std::string& drive, const std::string& relative = {}) const;

    Credentials adminCredentials() const;

    // Runs the test-server script with `command` for this address; returns its exit status.
    int run(const std::string& command, std::string* output = nullptr) const;
    // Restores the demo shares and their access lists, removing added and bulk shares.
    bool resetShares() const { return run("reset") == 0; }
    // Makes exactly `count` extra shares Bulk00001... (0 removes them).
    bool bulkShares(int count) const { return run("bulk-shares " + std::to_string(count)) == 0; }
    bool start() const { return run("start") == 0; }
    bool stop() const { return run("stop") == 0; }
    // A share parameter as the server holds it, or empty: Samba's registry parameter (`net conf
    // getparm`); on the Windows-like server "path", "comment" and "max connections" (empty for
    // no limit) from its state file.
    std::string shareParameter(const std::string& share, const std::string& parameter) const;

private:
    std::string m_address;
    ServerKind m_kind;
    std::string m_env;
};

// Options for tests: the normal timeout unless a test shortens it; no ticket cache.
smb::SmbOptions integrationOptions(std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A ready backend logged on as the server's administrator (for every server).
struct Session {
    explicit Session(const TestServer& server = TestServer::primary(),
                     smb::SmbOptions options = integrationOptions());
    smb::StaticCredentials credentials;
    smb::SmbNetwork network;
};

// Every share the server lists over `service`, following MoreData; `result`, when given, gets
// the last call's status.
std::vector<ShareInfo502> enumerateAll(ShareService& service, const std::u16string& server,
                                       Status* result = nullptr);

// The names of the shares the server lists now, over a connection of its own. A listing answers
// from the current definitions, where Samba may answer a lookup by name from older ones.
std::vector<std::u16string> shareNames(const TestServer& server);
bool listedOn(const TestServer& server, const std::u16string& netname);

// A share as a second connection reads it. Samba's share service may answer a get-info with a
// definition it read before the last change (also on a new connection); a listing first makes
// it read the definitions again.
Status readBack(const TestServer& server, const std::u16string& netname, ShareInfo502& out);

// The limit as the server keeps it ("max connections"; "0" is no limit).
std::string userLimit(const TestServer& server, const std::u16string& share);

} // namespace corvane::integration

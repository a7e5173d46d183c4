// Sessions and open files of the real test server, with a second client holding a file open.
#include "TestServer.h"
#include "platform/smb/CallWatchdog.h"
#include "platform/smb/codec/Utf.h"
#include "sessions/SessionsLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace corvane;
using namespace corvane::integration;
using namespace std::chrono_literals;

namespace {

// Polls `condition` every 100 ms for at most `limit`.
bool within(std::chrono::milliseconds limit, const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// smbclient logged on as alice, reading commands from a pipe, its output in a file.
class SecondClient {
public:
    explicit SecondClient(const TestServer& server) {
        char name[] = "/tmp/corvane-sessions-client-XXXXXX";
        const int out = ::mkstemp(name);
        m_output = name;
        int fds[2];
        if (out < 0 || ::pipe(fds) != 0)
            return;
        const std::string conf = server.value("CORVANE_TEST_CLIENT_CONF");
        const std::string user =
            server.value("CORVANE_TEST_USER1") + "%" + server.value("CORVANE_TEST_USER1_PASSWORD");
        const std::string share = "//" + server.addressUtf8() + "/D$";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(fds[0], 0);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::close(fds[1]);
            // Line-buffered, so that each answer can be read as soon as it is given.
            ::execlp("stdbuf", "stdbuf", "-oL", "smbclient", "-s", conf.c_str(), "-U", user.c_str(),
                     share.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[0]);
        ::close(out);
        m_input = fds[1];
    }
    ~SecondClient() {
        finish();
        std::remove(m_output.c_str());
    }
    // Ends the input, waits (bounded) for smbclient to end, and returns all it wrote.
    std::string finish() {
        if (m_input >= 0)
            ::close(m_input);
        m_input = -1;
        if (m_pid > 0) {
            if (!within(10s, [&] { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid; })) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
            }
            m_pid = -1;
        }
        return output();
    }
    bool started() const { return m_pid > 0 && m_input >= 0; }
    void command(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(m_input, text.data(), text.size()), ssize_t(text.size()));
    }
    std::string output() const {
        std::ifstream in(m_output);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    std::string m_output;
};

std::vector<SessionInfo> sessionsOf(SessionService& service, const std::u16string& server,
                                    const std::u16string& user) {
    std::vector<SessionInfo> all;
    EXPECT_EQ(sessions::readAllSessions(service, server, all), status::Success);
    std::erase_if(all, [&](const SessionInfo& s) { return s.user != user; });
    return all;
}

std::vector<OpenFileInfo> filesOf(SessionService& service, const std::u16string& server,
                                  const std::u16string& user) {
    std::vector<OpenFileInfo> all;
    EXPECT_EQ(sessions::readAllFiles(service, server, all), status::Success);
    std::erase_if(all, [&](const OpenFileInfo& f) { return f.user != user; });
    return all;
}

} // namespace

TEST(SessionCalls, ASecondClientIsListedAndItsFileAndSessionCanBeEnded) {
    const TestServer& server = TestServer::primary();
    Session admin;
    SessionService& net = admin.network;
    const std::u16string addr = server.address();
    const std::u16string alice = server.user1();

    SecondClient client(server);
    ASSERT_TRUE(client.started());
    client.command("open readme.txt");

    // The session and its open file, as the server lists them.
    std::vector<OpenFileInfo> files;
    ASSERT_TRUE(within(10s, [&] { return !(files = filesOf(net, addr, alice)).empty(); }));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, server.serverPath("D", "readme.txt"));
    const auto listed = sessionsOf(net, addr, alice);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].openFiles, 1u);
    EXPECT_FALSE(listed[0].client.empty());
    // Our own session comes from the same address as alice's: only ours is the program's.
    const auto own = sessionsOf(net, addr, server.adminUser());
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].client, listed[0].client);
    EXPECT_TRUE(own[0].thisProgram);
    EXPECT_FALSE(listed[0].thisProgram);
    // The server lists the very address the backend finds on its own connection: Samba as it
    // is, Windows with two backslashes before it.
    const std::string prefix = server.windowsLike() ? "\\\\" : "";
    const std::string ownClient = smb::toUtf8(own[0].client);
    ASSERT_TRUE(ownClient.starts_with(prefix)) << ownClient;
    EXPECT_TRUE(smb::CallWatchdog::localAddresses({server.addressUtf8()})
                    .contains(ownClient.substr(prefix.size())))
        << ownClient;

    // Closing the file: gone from the list, and the client's handle is closed.
    EXPECT_EQ(net.closeFile(addr, files[0].id), status::Success);
    EXPECT_TRUE(within(10s, [&] { return filesOf(net, addr, alice).empty(); }));
    client.command("close 1");
    // The client's answer to its close comes before the session is ended below.
    EXPECT_TRUE(within(10s, [&] {
        return client.output().find("NT_STATUS_FILE_CLOSED") != std::string::npos;
    })) << client.output();

    // Ending the session: gone from the list, the client's connection is cut, and our own
    // session from the same address goes on.
    EXPECT_EQ(net.deleteSession(addr, listed[0].client, alice), status::Success);
    EXPECT_TRUE(within(10s, [&] { return sessionsOf(net, addr, alice).empty(); }));
    client.command("ls");
    const std::string output = client.finish();
    EXPECT_NE(output.find("NT_STATUS_FILE_CLOSED"), std::string::npos) << output;
    EXPECT_NE(output.find("NT_STATUS_CONNECTION_DISCONNECTED"), std::string::npos) << output;
    EXPECT_EQ(sessionsOf(net, addr, server.adminUser()).size(), 1u);

    // What a session or file that has already gone away answers here: the window judges by
    // the list it reads afterwards, since Samba refuses a deletion it finds nothing for.
    // Windows names what it did not find.
    EXPECT_EQ(net.deleteSession(addr, listed[0].client, alice),
              server.windowsLike() ? status::ClientNameNotFound : status::AccessDenied);
    EXPECT_EQ(net.closeFile(addr, files[0].id),
              server.windowsLike() ? status::FileIdNotFound : status::FileNotFound);
}

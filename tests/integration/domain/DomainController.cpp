#include "DomainController.h"

#include "integration/TestServer.h"

#include "platform/smb/codec/Utf.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::integration {

DomainController::DomainController() {
    if (run("env", &m_env) != 0)
        throw std::runtime_error("domain-controller.sh env failed");
}

const DomainController& DomainController::instance() {
    static const DomainController dc;
    return dc;
}

int DomainController::run(const std::string& command, std::string* output) const {
    return shell(quoted(CORVANE_TEST_DC_SCRIPT) + " " + command +
                     " --addr " CORVANE_TEST_DC_ADDRESS,
                 output);
}

std::string DomainController::value(const std::string& key) const {
    return envValue(m_env, key);
}

std::u16string DomainController::name() const {
    return smb::fromUtf8(value("CORVANE_TEST_DC"));
}
std::u16string DomainController::strictName() const {
    return smb::fromUtf8(value("CORVANE_TEST_DC_STRICT"));
}
std::u16string DomainController::strictAddress() const {
    return smb::fromUtf8(value("CORVANE_TEST_DC_STRICT_ADDRESS"));
}
std::u16string DomainController::domain() const {
    return smb::fromUtf8(value("CORVANE_TEST_DC_DOMAIN"));
}
std::u16string DomainController::realm() const {
    return smb::fromUtf8(value("CORVANE_TEST_DC_REALM"));
}
std::u16string DomainController::user1() const {
    return smb::fromUtf8(value("CORVANE_TEST_USER1"));
}
std::u16string DomainController::user2() const {
    return smb::fromUtf8(value("CORVANE_TEST_USER2"));
}
std::u16string DomainController::group() const {
    return smb::fromUtf8(value("CORVANE_TEST_GROUP"));
}

std::u16string DomainController::password(const std::string& user) const {
    for (const std::string key : {"CORVANE_TEST_USER1", "CORVANE_TEST_USER2", "CORVANE_TEST_ADMIN"})
        if (value(key == "CORVANE_TEST_ADMIN" ? key + "_USER" : key) == user)
            return smb::fromUtf8(value(key + "_PASSWORD"));
    throw std::runtime_error("no password for " + user);
}

std::u16string DomainController::serverPath(const std::string& relative) const {
    std::string path = "C:" + dRoot();
    if (!relative.empty())
        path += "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return smb::fromUtf8(path);
}

bool DomainController::ticket(const std::string& user, const std::string& cache,
                              const std::string& lifetime) const {
    return run("ticket " + quoted(user) + " " + quoted(cache) + " " + quoted(lifetime)) == 0;
}

bool DomainController::resetShares() const {
    return run("reset") == 0;
}

TicketCache::TicketCache(std::string path) : m_path(std::move(path)) {
    if (const char* old = std::getenv("KRB5CCNAME")) {
        m_previous = old;
        m_hadPrevious = true;
    }
    ::setenv("KRB5CCNAME", ("FILE:" + m_path).c_str(), 1);
}

TicketCache::~TicketCache() {
    if (m_hadPrevious)
        ::setenv("KRB5CCNAME", m_previous.c_str(), 1);
    else
        ::unsetenv("KRB5CCNAME");
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

std::string newTicketCachePath(const std::string& tag) {
    static std::atomic<int> counter{0};
    return (std::filesystem::temp_directory_path() /
            ("corvane-krb5cc-" + std::to_string(::getpid()) + "-" + tag + "-" +
             std::to_string(counter++)))
        .string();
}

} // namespace corvane::integration

#pragma once

#include "platform/CredentialProvider.h"

#include <string>

namespace corvane::integration {

// The sandboxed domain controller of tools/test-server/domain-controller.sh as the tests see
// it: one domain served on two names, dc.corvane.test (signing mandatory, NTLM and Kerberos)
// and strict.corvane.test (encryption required, Kerberos only). The test process resolves the
// names through libnss-wrapper and finds the KDC through the instance's krb5.conf; ctest sets
// both up in the environment.
class DomainController {
public:
    static const DomainController& instance();

    std::string value(const std::string& key) const;
    std::u16string name() const;          // dc.corvane.test
    std::u16string strictName() const;    // strict.corvane.test
    std::u16string strictAddress() const; // its address, where no Kerberos logon can work
    std::u16string domain() const;        // CORVANE
    std::u16string realm() const;         // CORVANE.TEST
    std::u16string user1() const;         // alice
    std::u16string user2() const;         // bob
    std::u16string group() const;         // corvane-staff, alice and bob are members
    std::u16string password(const std::string& user) const;
    // The server's view of a directory below its drive D: C:\...\D\Homes for ("Homes").
    std::u16string serverPath(const std::string& relative) const;
    std::string dRoot() const { return value("CORVANE_TEST_D_ROOT"); }

    // Gets a ticket for `user` into the ticket cache file `cache`, valid for `lifetime` ("10h",
    // "5s").
    bool ticket(const std::string& user, const std::string& cache,
                const std::string& lifetime = "10h") const;
    bool resetShares() const;

private:
    DomainController();
    int run(const std::string& command, std::string* output = nullptr) const;
    std::string m_env;
};

// Points the Kerberos library at `cache` for the backends made while it lives (KRB5CCNAME),
// and restores the previous setting after.
class TicketCache {
public:
    explicit TicketCache(std::string path);
    ~TicketCache();
    TicketCache(const TicketCache&) = delete;
    TicketCache& operator=(const TicketCache&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// A fresh file name for a ticket cache in the test's temporary directory (no file yet).
std::string newTicketCachePath(const std::string& tag);

} // namespace corvane::integration

#pragma once

#include <map>
#include <optional>
#include <string>

namespace corvane::smb {

// A logon for one server. Kept in memory for the run only; never written or logged.
struct Credentials {
    std::u16string user;
    std::u16string domain; // empty: the server's own
    std::u16string password;
};

// Asked for the logon to a server the first time the program connects to it, and again, with
// the reason, when the server refused the last answer. No answer (nullopt) means cancel: the
// call fails with the logon-failure status.
class CredentialProvider {
public:
    virtual ~CredentialProvider() = default;
    virtual std::optional<Credentials> credentialsFor(const std::u16string& server,
                                                      const std::u16string& failure) = 0;
};

// Preset answers, for tests and for logons given before the program asks. A refused answer is
// not given again (it would be refused again): asked after a failure, it cancels.
class StaticCredentials : public CredentialProvider {
public:
    StaticCredentials() = default;
    explicit StaticCredentials(Credentials forEveryServer) : m_default(std::move(forEveryServer)) {}

    void set(const std::u16string& server, Credentials credentials) {
        m_byServer[server] = std::move(credentials);
    }

    std::optional<Credentials> credentialsFor(const std::u16string& server,
                                              const std::u16string& failure) override {
        ++m_asked;
        m_lastFailure = failure;
        if (!failure.empty())
            return std::nullopt;
        if (auto it = m_byServer.find(server); it != m_byServer.end())
            return it->second;
        return m_default;
    }

    int timesAsked() const { return m_asked; }
    const std::u16string& lastFailure() const { return m_lastFailure; }

private:
    std::optional<Credentials> m_default;
    std::map<std::u16string, Credentials> m_byServer;
    int m_asked = 0;
    std::u16string m_lastFailure;
};

} // namespace corvane::smb

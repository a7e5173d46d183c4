#pragma once

#include "platform/CredentialProvider.h"

#include <map>
#include <optional>
#include <string>

namespace corvane::smb {

// Preset answers, for tests and benchmarks. A refused answer is not given again (it would be
// refused again): asked after a failure, it cancels.
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
            return copyOf(it->second);
        if (!m_default)
            return std::nullopt;
        return copyOf(*m_default);
    }

    int timesAsked() const { return m_asked; }
    const std::u16string& lastFailure() const { return m_lastFailure; }

private:
    static Credentials copyOf(const Credentials& c) {
        return {c.user, c.domain, c.password.view()};
    }

    std::optional<Credentials> m_default;
    std::map<std::u16string, Credentials> m_byServer;
    int m_asked = 0;
    std::u16string m_lastFailure;
};

} // namespace corvane::smb

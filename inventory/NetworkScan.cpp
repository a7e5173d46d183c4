#include "NetworkScan.h"

#include "platform/smb/SmbNetwork.h"

#include <memory>

namespace corvane {

namespace {

smb::Credentials copyOf(const smb::Credentials& logon) {
    return {logon.user, logon.domain, smb::Secret(logon.password.view())};
}

// Setting up and taking down Samba's client libraries touches state they share in the process;
// the calls in between do not.
std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

SharedLogon::SharedLogon(smb::Credentials given) : m_asked(true), m_logon(std::move(given)) {}

std::optional<smb::Credentials> SharedLogon::credentialsFor(const std::u16string& server,
                                                            const std::u16string& failure) {
    std::lock_guard lock(m_mutex);
    if (!failure.empty())
        return std::nullopt;
    if (!m_asked) {
        m_asked = true;
        if (m_ask)
            m_logon = m_ask(server);
    }
    if (!m_logon)
        return std::nullopt;
    return copyOf(*m_logon);
}

NetworkScanJob::NetworkScanJob(smb::CredentialProvider& credentials, const smb::SmbOptions& options,
                               ServerScan& out)
    : m_credentials(credentials), m_options(options), m_out(out) {}

Status NetworkScanJob::run() {
    std::unique_ptr<smb::SmbNetwork> network;
    {
        const std::lock_guard library(libraryMutex());
        network = std::make_unique<smb::SmbNetwork>(m_credentials, m_options);
    }
    {
        std::lock_guard lock(m_mutex);
        m_network = network.get();
    }
    const QString server = m_out.server;
    if (m_cancelled)
        m_out.status = status::Cancelled;
    else
        m_out = scanServer(*network, *network, server, &m_cancelled);
    {
        std::lock_guard lock(m_mutex);
        m_network = nullptr;
    }
    {
        const std::lock_guard library(libraryMutex());
        network.reset();
    }
    return m_out.status;
}

void NetworkScanJob::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_network)
        m_network->cancelCurrentCall();
}

smb::SmbOptions scanOptions(smb::SmbOptions options) {
    options.concurrent = true;
    return options;
}

} // namespace corvane

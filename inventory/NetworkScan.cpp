#include "NetworkScan.h"

#include "platform/smb/SmbNetwork.h"
#include "ui/Text.h"

#include <memory>

namespace corvane {

namespace {

Credentials copyOf(const Credentials& logon) {
    return {logon.user, logon.domain, Secret(logon.password.view())};
}

// Setting up and taking down Samba's client libraries touches state they share in the process;
// the calls in between do not.
std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

SharedLogon::SharedLogon(Credentials given) : m_asked(true), m_logon(std::move(given)) {}

std::optional<Credentials> SharedLogon::credentialsFor(const std::u16string& server,
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

NetworkJob::NetworkJob(CredentialProvider& credentials, const smb::SmbOptions& options, Work work)
    : m_credentials(credentials), m_options(options), m_work(std::move(work)) {}

Status NetworkJob::run() {
    std::unique_ptr<smb::SmbNetwork> network;
    {
        const std::lock_guard library(libraryMutex());
        network = std::make_unique<smb::SmbNetwork>(m_credentials, m_options);
    }
    {
        std::lock_guard lock(m_mutex);
        m_network = network.get();
    }
    const Status result = m_cancelled ? status::Cancelled : m_work(*network, m_cancelled);
    {
        std::lock_guard lock(m_mutex);
        m_network = nullptr;
    }
    {
        const std::lock_guard library(libraryMutex());
        network.reset();
    }
    return result;
}

void NetworkJob::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_network)
        m_network->cancelCurrentCall();
}

std::unique_ptr<ScanJob> makeScanJob(CredentialProvider& credentials,
                                     const smb::SmbOptions& options, ServerScan& out) {
    return std::make_unique<NetworkJob>(
        credentials, options, [&out](smb::SmbNetwork& network, const std::atomic<bool>& cancelled) {
            const QString server = out.server;
            out = scanServer(network, network, server, &cancelled);
            return out.status;
        });
}

std::unique_ptr<ScanJob> makeMembershipJob(CredentialProvider& credentials,
                                           const smb::SmbOptions& options, const QString& account,
                                           Membership& out) {
    return std::make_unique<NetworkJob>(
        credentials, options, [&out, account](smb::SmbNetwork& network, const std::atomic<bool>&) {
            const std::u16string server = toU16(out.server);
            std::optional<Sid> sid = Sid::fromString(account.trimmed().toUpper().toStdString());
            if (!sid) {
                Account found;
                out.status = network.lookupName(server, toU16(lookupNameOf(account)), found);
                if (out.status != status::Success)
                    return out.status;
                sid = found.sid;
            }
            out.account = sid->toString();
            std::vector<Sid> groups;
            out.status = network.groupsOf(server, *sid, groups);
            for (const Sid& group : groups)
                out.groups.push_back(group.toString());
            return out.status;
        });
}

smb::SmbOptions scanOptions(smb::SmbOptions options) {
    options.concurrent = true;
    return options;
}

} // namespace corvane

#include "DispatchedServices.h"

#include <memory>

namespace corvane {

namespace {

QString text(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

QString serverText(const std::u16string& server) {
    return server.empty() ? QStringLiteral("this computer") : text(server);
}

// Runs `job` on the worker with inputs and outputs in a block of its own, which outlives a
// cancelled wait; `takeBack` copies the outputs to the caller once the job is done.
template <typename Block, typename Job, typename TakeBack>
Status dispatch(CallDispatcher& dispatcher, const QString& work, Block block, Job job,
                TakeBack takeBack) {
    auto shared = std::make_shared<Block>(std::move(block));
    const std::optional<Status> result =
        dispatcher.call(work, [shared, job] { return job(*shared); });
    if (!result)
        return status::Cancelled;
    takeBack(*shared);
    return *result;
}

} // namespace

QString shareListingWork(const std::u16string& server) {
    return QStringLiteral("Listing the shares of %1…").arg(serverText(server));
}
QString shareReadingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Reading the share %1 of %2…").arg(text(share), serverText(server));
}
QString shareCheckingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Checking what became of the share %1 on %2…")
        .arg(text(share), serverText(server));
}
QString shareChangingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Changing the share %1 of %2…").arg(text(share), serverText(server));
}
QString shareCreatingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Creating the share %1 on %2…").arg(text(share), serverText(server));
}
QString shareRemovingWork(const std::u16string& server, const std::u16string& share) {
    return QStringLiteral("Removing the share %1 from %2…").arg(text(share), serverText(server));
}
QString accountLookupWork(const std::u16string& server, const QString& account) {
    return QStringLiteral("Looking up %1 on %2…").arg(account, serverText(server));
}
QString folderListingWork(const std::u16string& server, const std::u16string& nodePath) {
    return QStringLiteral("Listing the folders of %1 on %2…")
        .arg(text(nodePath), serverText(server));
}

QString sessionListingWork(const std::u16string& server) {
    return QStringLiteral("Listing the sessions of %1…").arg(serverText(server));
}
QString openFileListingWork(const std::u16string& server) {
    return QStringLiteral("Listing the open files of %1…").arg(serverText(server));
}
QString sessionEndingWork(const std::u16string& server, const std::u16string& client) {
    return QStringLiteral("Ending the session of %1 on %2…").arg(text(client), serverText(server));
}
QString fileClosingWork(const std::u16string& server) {
    return QStringLiteral("Closing a file on %1…").arg(serverText(server));
}

namespace {

struct ListingBlock {
    std::u16string server;
    std::vector<ShareInfo502> out;
    std::uint32_t resume;
};

} // namespace

Status DispatchedServices::enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                                     std::uint32_t& resumeHandle) {
    out.clear();
    return dispatch(
        m_dispatcher, shareListingWork(server), ListingBlock{server, {}, resumeHandle},
        [&shares = m_shares](ListingBlock& b) {
            return shares.enumerate(b.server, b.out, b.resume);
        },
        [&](ListingBlock& b) {
            out = std::move(b.out);
            resumeHandle = b.resume;
        });
}

Status DispatchedServices::listShares(const std::u16string& server, std::vector<ShareInfo502>& out,
                                      std::uint32_t& resumeHandle) {
    out.clear();
    return dispatch(
        m_dispatcher, shareListingWork(server), ListingBlock{server, {}, resumeHandle},
        [&shares = m_shares](ListingBlock& b) {
            return shares.listShares(b.server, b.out, b.resume);
        },
        [&](ListingBlock& b) {
            out = std::move(b.out);
            resumeHandle = b.resume;
        });
}

Status DispatchedServices::getInfo(const std::u16string& server, const std::u16string& netname,
                                   ShareInfo502& out) {
    struct Block {
        std::u16string server, netname;
        ShareInfo502 out;
    };
    return dispatch(
        m_dispatcher, shareReadingWork(server, netname), Block{server, netname, out},
        [&shares = m_shares](Block& b) { return shares.getInfo(b.server, b.netname, b.out); },
        [&](Block& b) { out = std::move(b.out); });
}

Status DispatchedServices::setInfo(const std::u16string& server, const std::u16string& netname,
                                   const ShareInfo502& info) {
    struct Block {
        std::u16string server, netname;
        ShareInfo502 info;
    };
    return dispatch(
        m_dispatcher, shareChangingWork(server, netname), Block{server, netname, info},
        [&shares = m_shares](Block& b) { return shares.setInfo(b.server, b.netname, b.info); },
        [](Block&) {});
}

Status DispatchedServices::add(const std::u16string& server, const ShareInfo502& info) {
    struct Block {
        std::u16string server;
        ShareInfo502 info;
    };
    return dispatch(
        m_dispatcher, shareCreatingWork(server, info.netname), Block{server, info},
        [&shares = m_shares](Block& b) { return shares.add(b.server, b.info); }, [](Block&) {});
}

Status DispatchedServices::remove(const std::u16string& server, const std::u16string& netname) {
    struct Block {
        std::u16string server, netname;
    };
    return dispatch(
        m_dispatcher, shareRemovingWork(server, netname), Block{server, netname},
        [&shares = m_shares](Block& b) { return shares.remove(b.server, b.netname); },
        [](Block&) {});
}

Status DispatchedServices::checkInfo(const std::u16string& server, const std::u16string& netname,
                                     ShareInfo502& out) {
    struct Block {
        std::u16string server, netname;
        ShareInfo502 out;
    };
    return dispatch(
        m_dispatcher, shareCheckingWork(server, netname), Block{server, netname, out},
        [&shares = m_shares](Block& b) { return shares.checkInfo(b.server, b.netname, b.out); },
        [&](Block& b) { out = std::move(b.out); });
}

Status DispatchedServices::lookupName(const std::u16string& system, const std::u16string& name,
                                      Account& out) {
    struct Block {
        std::u16string system, name;
        Account out;
    };
    return dispatch(
        m_dispatcher, accountLookupWork(system, text(name)), Block{system, name, out},
        [&accounts = m_accounts](Block& b) { return accounts.lookupName(b.system, b.name, b.out); },
        [&](Block& b) { out = std::move(b.out); });
}

Status DispatchedServices::lookupSid(const std::u16string& system, const Sid& sid, Account& out) {
    struct Block {
        std::u16string system;
        Sid sid;
        Account out;
    };
    return dispatch(
        m_dispatcher, accountLookupWork(system, QString::fromStdString(sid.toString())),
        Block{system, sid, out},
        [&accounts = m_accounts](Block& b) { return accounts.lookupSid(b.system, b.sid, b.out); },
        [&](Block& b) { out = std::move(b.out); });
}

void DispatchedServices::lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                                    std::vector<Account>& out, std::vector<Status>& results) {
    struct Block {
        std::u16string system;
        std::vector<Sid> sids;
        std::vector<Account> out;
        std::vector<Status> results;
    };
    // One call for the whole list, so the window waits once, not once per entry.
    const QString work =
        sids.size() == 1
            ? accountLookupWork(system, QString::fromStdString(sids[0].toString()))
            : accountLookupWork(system, QStringLiteral("%1 accounts").arg(sids.size()));
    const Status s = dispatch(
        m_dispatcher, work, Block{system, sids, {}, {}},
        [&accounts = m_accounts](Block& b) {
            accounts.lookupSids(b.system, b.sids, b.out, b.results);
            return status::Success;
        },
        [&](Block& b) {
            out = std::move(b.out);
            results = std::move(b.results);
        });
    if (s != status::Success) {
        out.assign(sids.size(), Account{});
        results.assign(sids.size(), s);
    }
}

Status DispatchedServices::listDirectories(const std::u16string& server,
                                           const std::u16string& nodePath,
                                           std::vector<std::u16string>& names) {
    struct Block {
        std::u16string server, nodePath;
        std::vector<std::u16string> names;
    };
    return dispatch(
        m_dispatcher, folderListingWork(server, nodePath), Block{server, nodePath, names},
        [&directories = m_directories](Block& b) {
            return directories.listDirectories(b.server, b.nodePath, b.names);
        },
        [&](Block& b) { names = std::move(b.names); });
}

Status DispatchedSessions::enumerateSessions(const std::u16string& server,
                                             std::vector<SessionInfo>& out,
                                             std::uint32_t& resumeHandle) {
    struct Block {
        std::u16string server;
        std::vector<SessionInfo> out;
        std::uint32_t resume;
    };
    out.clear();
    return dispatch(
        m_dispatcher, sessionListingWork(server), Block{server, {}, resumeHandle},
        [&sessions = m_sessions](Block& b) {
            return sessions.enumerateSessions(b.server, b.out, b.resume);
        },
        [&](Block& b) {
            out = std::move(b.out);
            resumeHandle = b.resume;
        });
}

Status DispatchedSessions::deleteSession(const std::u16string& server, const std::u16string& client,
                                         const std::u16string& user) {
    struct Block {
        std::u16string server, client, user;
    };
    return dispatch(
        m_dispatcher, sessionEndingWork(server, client), Block{server, client, user},
        [&sessions = m_sessions](Block& b) {
            return sessions.deleteSession(b.server, b.client, b.user);
        },
        [](Block&) {});
}

Status DispatchedSessions::enumerateFiles(const std::u16string& server,
                                          std::vector<OpenFileInfo>& out,
                                          std::uint32_t& resumeHandle) {
    struct Block {
        std::u16string server;
        std::vector<OpenFileInfo> out;
        std::uint32_t resume;
    };
    out.clear();
    return dispatch(
        m_dispatcher, openFileListingWork(server), Block{server, {}, resumeHandle},
        [&sessions = m_sessions](Block& b) {
            return sessions.enumerateFiles(b.server, b.out, b.resume);
        },
        [&](Block& b) {
            out = std::move(b.out);
            resumeHandle = b.resume;
        });
}

Status DispatchedSessions::closeFile(const std::u16string& server, std::uint32_t id) {
    struct Block {
        std::u16string server;
        std::uint32_t id;
    };
    return dispatch(
        m_dispatcher, fileClosingWork(server), Block{server, id},
        [&sessions = m_sessions](Block& b) { return sessions.closeFile(b.server, b.id); },
        [](Block&) {});
}

} // namespace corvane

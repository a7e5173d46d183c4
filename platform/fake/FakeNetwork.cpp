#include "FakeNetwork.h"

#include "../WellKnownAccounts.h"

#include <algorithm>

namespace corvane::fake {

namespace {

std::u16string withTrailingBackslash(std::u16string path) {
    if (path.empty() || path.back() != u'\\')
        path += u'\\';
    return path;
}

bool sameName(const std::u16string& a, const std::u16string& b) {
    return asciiLower(a) == asciiLower(b);
}

// One part of `all` from `resumeHandle`, as the enumerations hand them out.
template <typename Record>
Status part(const std::vector<Record>& all, std::size_t partSize, std::vector<Record>& out,
            std::uint32_t& resumeHandle) {
    const std::size_t total = all.size();
    const std::size_t from = std::min<std::size_t>(resumeHandle, total);
    std::size_t count = total - from;
    if (partSize != 0)
        count = std::min(count, partSize);
    out.assign(all.begin() + static_cast<std::ptrdiff_t>(from),
               all.begin() + static_cast<std::ptrdiff_t>(from + count));
    resumeHandle = static_cast<std::uint32_t>(from + count);
    return from + count < total ? status::MoreData : status::Success;
}

} // namespace

Computer& FakeNetwork::computer(const std::u16string& name) {
    return m_computers[asciiLower(name)];
}

bool FakeNetwork::hasComputer(const std::u16string& name) const {
    return m_computers.count(asciiLower(name)) != 0;
}

ShareInfo502& FakeNetwork::addShare(const std::u16string& server, ShareInfo502 info) {
    auto& shares = computer(server).shares;
    shares.push_back(std::move(info));
    return shares.back();
}

ShareInfo502& FakeNetwork::addDiskShare(const std::u16string& server, const std::u16string& name,
                                        const std::u16string& path, const std::u16string& remark) {
    ShareInfo502 info;
    info.netname = name;
    info.path = path;
    info.remark = remark;
    if (name.size() == 2 && name[1] == u'$')
        info.type = StypeDisktree | StypeSpecial;
    return addShare(server, std::move(info));
}

Account& FakeNetwork::addAccount(const std::u16string& server, const std::u16string& name,
                                 const std::u16string& domain, SidNameUse use, const Sid& sid) {
    auto& accounts = computer(server).accounts;
    accounts.push_back(Account{sid, name, domain, use});
    return accounts.back();
}

void FakeNetwork::addDirectory(const std::u16string& server, const std::u16string& path) {
    Computer& c = computer(server);
    std::u16string parent;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos)
            end = path.size();
        const std::u16string part = path.substr(start, end - start);
        if (parent.empty()) {
            parent = part + u'\\';
        } else if (!part.empty()) {
            auto& children = c.directories[asciiLower(parent)];
            if (std::find(children.begin(), children.end(), part) == children.end())
                children.push_back(part);
            parent += part + u'\\';
        }
        c.directories[asciiLower(parent)];
        start = end + 1;
    }
}

const ShareInfo502* FakeNetwork::findShare(const std::u16string& server,
                                           const std::u16string& name) const {
    auto it = m_computers.find(asciiLower(server));
    if (it == m_computers.end())
        return nullptr;
    for (const auto& s : it->second.shares)
        if (sameName(s.netname, name))
            return &s;
    return nullptr;
}

void FakeNetwork::failNext(Call call, Status result, const std::u16string& name, int skip) {
    m_faults.push_back({call, result, name, skip});
}

std::vector<RecordedCall> FakeNetwork::callsOf(Call call) const {
    std::vector<RecordedCall> out;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(out),
                 [call](const RecordedCall& c) { return c.call == call; });
    return out;
}

Computer* FakeNetwork::reachableComputer(const std::u16string& name) {
    auto it = m_computers.find(asciiLower(name));
    if (it == m_computers.end() || !it->second.reachable)
        return nullptr;
    return &it->second;
}

std::optional<Status> FakeNetwork::takeFault(Call call, const std::u16string& name) {
    if (beforeCall)
        beforeCall(call, name);
    auto it = std::find_if(m_faults.begin(), m_faults.end(), [&](const Fault& f) {
        return f.call == call && (f.name.empty() || sameName(f.name, name));
    });
    if (it == m_faults.end())
        return std::nullopt;
    if (it->skip > 0) {
        --it->skip;
        return std::nullopt;
    }
    const Status result = it->result;
    m_faults.erase(it);
    return result;
}

Status FakeNetwork::record(Call call, const std::u16string& server, const std::u16string& name,
                           std::optional<ShareInfo502> info, Status result) {
    m_calls.push_back({call, server, name, std::move(info), result});
    return result;
}

Status FakeNetwork::answer(Call call, const std::u16string& server, const std::u16string& name,
                           std::optional<ShareInfo502> info, const std::function<Status()>& body) {
    if (auto fault = takeFault(call, name))
        return record(call, server, name, std::move(info), *fault);
    const Status result = body();
    return record(call, server, name, std::move(info), result);
}

Status FakeNetwork::enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                              std::uint32_t& resumeHandle) {
    out.clear();
    return answer(Call::Enumerate, server, {}, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        return part(c->shares, c->enumerationPartSize, out, resumeHandle);
    });
}

Status FakeNetwork::getInfo(const std::u16string& server, const std::u16string& netname,
                            ShareInfo502& out) {
    return answer(Call::GetInfo, server, netname, std::nullopt, [&]() -> Status {
        if (!reachableComputer(server))
            return status::BadNetPath;
        const ShareInfo502* share = findShare(server, netname);
        if (!share)
            return status::NetNameNotFound;
        out = *share;
        return status::Success;
    });
}

Status FakeNetwork::setInfo(const std::u16string& server, const std::u16string& netname,
                            const ShareInfo502& info) {
    return answer(Call::SetInfo, server, netname, info, [&]() -> Status {
        if (!reachableComputer(server))
            return status::BadNetPath;
        auto* share = const_cast<ShareInfo502*>(findShare(server, netname));
        if (!share)
            return status::NetNameNotFound;
        share->remark = info.remark;
        share->maxUses = info.maxUses;
        if (reachableComputer(server)->pathChangesInPlace)
            share->path = info.path;
        share->securityDescriptor = info.securityDescriptor;
        return status::Success;
    });
}

Status FakeNetwork::add(const std::u16string& server, const ShareInfo502& info) {
    return answer(Call::Add, server, info.netname, info, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        if (info.netname.empty())
            return status::InvalidParameter;
        if (findShare(server, info.netname))
            return status::DuplicateShare;
        ShareInfo502 stored = info;
        stored.currentUses = 0;
        c->shares.push_back(std::move(stored));
        return status::Success;
    });
}

Status FakeNetwork::remove(const std::u16string& server, const std::u16string& netname) {
    return answer(Call::Remove, server, netname, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        auto it = std::find_if(c->shares.begin(), c->shares.end(),
                               [&](const ShareInfo502& s) { return sameName(s.netname, netname); });
        if (it == c->shares.end())
            return status::NetNameNotFound;
        c->shares.erase(it);
        return status::Success;
    });
}

Status FakeNetwork::lookupAccount(Call call, const std::u16string& system,
                                  const std::u16string& key,
                                  const std::optional<Account>& wellKnown,
                                  const std::function<bool(const Account&)>& matches,
                                  Account& out) {
    return answer(call, system, key, std::nullopt, [&]() -> Status {
        if (wellKnown) {
            out = *wellKnown;
            return status::Success;
        }
        if (system.empty())
            return status::NoneMapped;
        Computer* c = reachableComputer(system);
        if (!c)
            return status::RpcServerUnavailable;
        const auto it = std::find_if(c->accounts.begin(), c->accounts.end(), matches);
        if (it == c->accounts.end())
            return status::NoneMapped;
        out = *it;
        return status::Success;
    });
}

Status FakeNetwork::lookupName(const std::u16string& system, const std::u16string& name,
                               Account& out) {
    return lookupAccount(
        Call::LookupName, system, name, wellKnownAccountByName(name),
        [&](const Account& a) {
            return sameName(a.name, name) || sameName(a.domain + u'\\' + a.name, name);
        },
        out);
}

Status FakeNetwork::lookupSid(const std::u16string& system, const Sid& sid, Account& out) {
    const std::string text = sid.toString();
    return lookupAccount(
        Call::LookupSid, system, std::u16string(text.begin(), text.end()),
        wellKnownAccountBySid(sid), [&](const Account& a) { return a.sid == sid; }, out);
}

Status FakeNetwork::listDirectories(const std::u16string& server, const std::u16string& nodePath,
                                    std::vector<std::u16string>& names) {
    names.clear();
    const std::u16string key = asciiLower(withTrailingBackslash(nodePath));
    return answer(Call::ListDirectories, server, nodePath, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        const std::u16string drive = nodePath.substr(0, nodePath.find(u'\\'));
        if (!findShare(server, drive))
            return status::BadNetName;
        if (c->unreadable.count(key))
            return status::AccessDenied;
        auto it = c->directories.find(key);
        if (it == c->directories.end()) {
            // The root of an existing drive share is a directory, even with nothing in it.
            if (key == asciiLower(drive) + u'\\')
                return status::Success;
            return status::PathNotFound;
        }
        for (const auto& name : it->second)
            if (!name.empty() && name[0] != u'.')
                names.push_back(name);
        return status::Success;
    });
}

Status FakeNetwork::enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                                      std::uint32_t& resumeHandle) {
    out.clear();
    return answer(Call::EnumerateSessions, server, {}, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        const Status result = part(c->sessions, c->enumerationPartSize, out, resumeHandle);
        return result;
    });
}

Status FakeNetwork::deleteSession(const std::u16string& server, const std::u16string& client,
                                  const std::u16string& user) {
    const std::u16string name = client + u'\\' + user;
    return answer(Call::DeleteSession, server, name, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        const auto it =
            std::find_if(c->sessions.begin(), c->sessions.end(), [&](const SessionInfo& s) {
                return sameName(s.client, client) && sameName(s.user, user);
            });
        if (it == c->sessions.end())
            return status::ClientNameNotFound;
        c->sessions.erase(it);
        const bool userStays =
            std::any_of(c->sessions.begin(), c->sessions.end(),
                        [&](const SessionInfo& s) { return sameName(s.user, user); });
        if (!userStays)
            std::erase_if(c->openFiles,
                          [&](const OpenFileInfo& f) { return sameName(f.user, user); });
        return status::Success;
    });
}

Status FakeNetwork::enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                                   std::uint32_t& resumeHandle) {
    out.clear();
    return answer(Call::EnumerateFiles, server, {}, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        const Status result = part(c->openFiles, c->enumerationPartSize, out, resumeHandle);
        return result;
    });
}

Status FakeNetwork::closeFile(const std::u16string& server, std::uint32_t id) {
    const std::string digits = std::to_string(id);
    const std::u16string name(digits.begin(), digits.end());
    return answer(Call::CloseFile, server, name, std::nullopt, [&]() -> Status {
        Computer* c = reachableComputer(server);
        if (!c)
            return status::BadNetPath;
        if (std::erase_if(c->openFiles, [&](const OpenFileInfo& f) { return f.id == id; }) == 0)
            return status::FileIdNotFound;
        return status::Success;
    });
}

} // namespace corvane::fake

// Account names and groups: the local security authority (lsarpc) and the security account
// manager (samr).
#include "SmbNetworkParts.h"

#include "codec/SamrCodec.h"
#include "codec/SrvsvcCodec.h"
#include "codec/StatusMapping.h"
#include "platform/WellKnownAccounts.h"

namespace corvane::smb {

Status SmbNetwork::lookupName(const std::u16string& system, const std::u16string& name,
                              Account& out) {
    const CallScope scope(*this, CallKind::Read);
    // A longer name would wrap the request's 16-bit length and look up a different name.
    if (name.size() > lsarpc::MaxNameLength)
        return status::InvalidParameter;
    if (system.empty()) {
        const auto known = wellKnownAccountByName(name);
        if (!known)
            return status::NoneMapped;
        out = *known;
        return status::Success;
    }
    std::vector<std::uint8_t> reply;
    const std::vector<std::u16string> names{name};
    if (Status s = lsaCall(
            system, lsarpc::OpLookupNames,
            [&](const lsarpc::PolicyHandle& h) { return lsarpc::encodeLookupNames(h, names); },
            reply);
        s != status::Success)
        return s;
    lsarpc::LookupNamesReply decoded;
    if (Status s = lsarpc::decodeLookupNames(reply, decoded); s != status::Success)
        return s;
    return lsarpc::accountOf(decoded, name, out);
}

Status SmbNetwork::groupsOf(const std::u16string& system, const Sid& account,
                            std::vector<Sid>& out) {
    const CallScope scope(*this, CallKind::Read);
    out.clear();
    const std::string accountText = account.toString();
    const auto dash = accountText.rfind('-');
    if (account.subAuthorityCount() < 2 || dash == std::string::npos)
        return status::InvalidSid;
    const std::optional<Sid> domain = Sid::fromString(accountText.substr(0, dash));
    const std::uint32_t rid = account.subAuthority(account.subAuthorityCount() - 1);
    const std::optional<Sid> builtin = Sid::fromString("S-1-5-32");
    if (!domain || !builtin)
        return status::InvalidSid;
    RpcChannel& rpc = *serverFor(system).samr;
    // Handles belong to one connection: only the first call may be sent again on a new one.
    const auto call = [&](std::uint16_t opnum, const std::vector<std::uint8_t>& stub,
                          std::vector<std::uint8_t>& reply, bool first) {
        if (first)
            return withRetry(
                [&](bool& retryable) { return rpc.call(opnum, stub, reply, true, retryable); });
        bool retryable = false;
        return rpc.call(opnum, stub, reply, false, retryable);
    };
    const auto open = [&](std::uint16_t opnum, const std::vector<std::uint8_t>& stub,
                          samr::Handle& handle, bool first) {
        std::vector<std::uint8_t> reply;
        std::uint32_t nt = 0;
        if (Status s = call(opnum, stub, reply, first); s != status::Success)
            return s;
        if (Status s = samr::decodeHandle(reply, handle, nt); s != status::Success)
            return s;
        return nt == 0 ? status::Success : statusFromNtStatus(nt);
    };
    const auto close = [&](const samr::Handle& handle) {
        std::vector<std::uint8_t> reply;
        call(samr::OpCloseHandle, samr::encodeCloseHandle(handle), reply, false);
    };
    // The aliases of a domain that hold any of `members`, added to `out`.
    const auto aliases = [&](const samr::Handle& domainHandle, const Sid& of,
                             const std::vector<Sid>& members) {
        std::vector<std::uint8_t> reply;
        std::vector<std::uint32_t> rids;
        std::uint32_t nt = 0;
        if (Status s = call(samr::OpGetAliasMembership,
                            samr::encodeGetAliasMembership(domainHandle, members), reply, false);
            s != status::Success)
            return s;
        if (Status s = samr::decodeGetAliasMembership(reply, rids, nt); s != status::Success)
            return s;
        if (nt != 0)
            return statusFromNtStatus(nt);
        for (std::uint32_t r : rids)
            if (auto sid = Sid::fromString(of.toString() + "-" + std::to_string(r)))
                out.push_back(*sid);
        return status::Success;
    };

    samr::Handle server{};
    if (Status s = open(samr::OpConnect2,
                        samr::encodeConnect2(srvsvc::serverArgument(connectName(system)),
                                             samr::ServerLookupDomain),
                        server, true);
        s != status::Success)
        return s;
    Status result = status::Success;
    std::vector<Sid> members{account};
    samr::Handle domainHandle{};
    // A computer that does not keep the account's domain knows only its built-in aliases.
    if (open(samr::OpOpenDomain, samr::encodeOpenDomain(server, samr::DomainLookup, *domain),
             domainHandle, false) == status::Success) {
        samr::Handle user{};
        if (open(samr::OpOpenUser, samr::encodeOpenUser(domainHandle, samr::UserListGroups, rid),
                 user, false) == status::Success) {
            std::vector<std::uint8_t> reply;
            std::vector<std::uint32_t> rids;
            std::uint32_t nt = 0;
            result =
                call(samr::OpGetGroupsForUser, samr::encodeGetGroupsForUser(user), reply, false);
            if (result == status::Success)
                result = samr::decodeGetGroupsForUser(reply, rids, nt);
            if (result == status::Success && nt != 0)
                result = statusFromNtStatus(nt);
            for (std::uint32_t r : rids)
                if (auto sid = Sid::fromString(domain->toString() + "-" + std::to_string(r)))
                    out.push_back(*sid);
            close(user);
        }
        members.insert(members.end(), out.begin(), out.end());
        if (result == status::Success)
            result = aliases(domainHandle, *domain, members);
        close(domainHandle);
    }
    samr::Handle builtinHandle{};
    if (result == status::Success) {
        result =
            open(samr::OpOpenDomain, samr::encodeOpenDomain(server, samr::DomainLookup, *builtin),
                 builtinHandle, false);
        if (result == status::Success) {
            result = aliases(builtinHandle, *builtin, members);
            close(builtinHandle);
        }
    }
    close(server);
    if (result != status::Success)
        out.clear();
    return result;
}

Status SmbNetwork::lookupSid(const std::u16string& system, const Sid& sid, Account& out) {
    const CallScope scope(*this, CallKind::Read);
    std::vector<Account> accounts;
    std::vector<Status> results;
    lookupSids(system, {sid}, accounts, results);
    if (results[0] == status::Success)
        out = std::move(accounts[0]);
    return results[0];
}

Status SmbNetwork::lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                              std::vector<Account>& out, std::vector<Status>& results) {
    const CallScope scope(*this, CallKind::Read);
    out.assign(sids.size(), Account{});
    results.assign(sids.size(), status::NoneMapped);
    std::vector<Sid> asked;
    std::vector<std::size_t> askedIndex;
    auto* known = system.empty() ? nullptr : &serverFor(system).accounts;
    for (std::size_t i = 0; i < sids.size(); ++i) {
        if (!sids[i].isValid()) {
            results[i] = status::InvalidSid;
        } else if (system.empty()) {
            if (const auto local = wellKnownAccountBySid(sids[i])) {
                out[i] = *local;
                results[i] = status::Success;
            }
        } else if (const auto it = known->find(sids[i].bytes()); it != known->end()) {
            out[i] = it->second;
            results[i] = status::Success;
        } else {
            asked.push_back(sids[i]);
            askedIndex.push_back(i);
        }
    }
    if (asked.empty())
        return status::Success;
    const auto failAll = [&](Status s) {
        for (std::size_t i : askedIndex)
            results[i] = s;
        return s;
    };
    std::vector<std::uint8_t> reply;
    if (Status s = lsaCall(
            system, lsarpc::OpLookupSids,
            [&](const lsarpc::PolicyHandle& h) { return lsarpc::encodeLookupSids(h, asked); },
            reply);
        s != status::Success)
        return failAll(s);
    lsarpc::LookupSidsReply decoded;
    if (Status s = lsarpc::decodeLookupSids(reply, decoded); s != status::Success)
        return failAll(s);
    // Far more accounts than any access lists name; a server that makes up more starts over.
    if (known->size() > MaxKnownAccounts)
        known->clear();
    for (std::size_t k = 0; k < asked.size(); ++k) {
        const std::size_t i = askedIndex[k];
        results[i] = lsarpc::accountOf(decoded, asked, k, out[i]);
        if (results[i] == status::Success)
            (*known)[asked[k].bytes()] = out[i];
    }
    return status::Success;
}

} // namespace corvane::smb

#pragma once

#include "Sid.h"
#include "Status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// SID_NAME_USE.
enum class SidNameUse : std::uint32_t {
    User = 1,
    Group = 2,
    Domain = 3,
    Alias = 4,
    WellKnownGroup = 5,
    DeletedAccount = 6,
    Invalid = 7,
    Unknown = 8,
    Computer = 9,
    Label = 10,
};

struct Account {
    Sid sid;
    std::u16string name;
    std::u16string domain;
    SidNameUse use = SidNameUse::Unknown;
};

// Account look-ups on a computer. An empty `system` means the local computer, which is served
// by the table of well-known accounts without any server. Lookup of an unknown name or SID
// returns NoneMapped (1332).
class AccountService {
public:
    virtual ~AccountService() = default;
    virtual Status lookupName(const std::u16string& system, const std::u16string& name,
                              Account& out) = 0;
    virtual Status lookupSid(const std::u16string& system, const Sid& sid, Account& out) = 0;
    // Looks up all of `sids` at once where the service can (one call to the server): `out[i]`
    // and `results[i]` answer `sids[i]` as lookupSid would. Returns Success when every SID has
    // an answer of its own (found, NoneMapped or InvalidSid), else the failure that kept one from
    // it, which the SIDs without an answer carry too. By default one lookupSid each.
    virtual Status lookupSids(const std::u16string& system, const std::vector<Sid>& sids,
                              std::vector<Account>& out, std::vector<Status>& results) {
        out.assign(sids.size(), Account{});
        results.assign(sids.size(), status::Success);
        Status call = status::Success;
        for (std::size_t i = 0; i < sids.size(); ++i) {
            results[i] = lookupSid(system, sids[i], out[i]);
            if (call == status::Success && results[i] != status::Success &&
                results[i] != status::NoneMapped && results[i] != status::InvalidSid)
                call = results[i];
        }
        return call;
    }
    // The groups and aliases `account` belongs to as `system` reports them: the groups and
    // aliases of the account's domain where the computer keeps that domain, and the built-in
    // aliases. NotSupported where the service cannot tell.
    virtual Status groupsOf(const std::u16string& system, const Sid& account,
                            std::vector<Sid>& out) {
        (void)system;
        (void)account;
        out.clear();
        return status::NotSupported;
    }
};

} // namespace corvane

#pragma once

#include "../AccountService.h"
#include "../DirectoryService.h"
#include "../SessionService.h"
#include "../ShareService.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvane::fake {

enum class Call {
    Enumerate,
    GetInfo,
    SetInfo,
    Add,
    Remove,
    LookupName,
    LookupSid,
    ListDirectories,
    EnumerateSessions,
    DeleteSession, // name: client\user
    EnumerateFiles,
    CloseFile // name: the file id in decimal
};

// One call as the fake saw it: the server, the share / account name / node path it named, the
// record it was given (set and add), and what it answered.
struct RecordedCall {
    Call call;
    std::u16string server;
    std::u16string name;
    std::optional<ShareInfo502> info;
    Status result = status::Success;
};

struct Computer {
    std::vector<ShareInfo502> shares; // enumeration order
    std::vector<Account> accounts;    // besides the well-known ones
    // Sub-directory names by lower-cased node path ("c$\data\"), in listing order.
    std::map<std::u16string, std::vector<std::u16string>> directories;
    std::set<std::u16string> unreadable; // lower-cased node paths that fail with AccessDenied
    std::vector<SessionInfo> sessions;
    std::vector<OpenFileInfo> openFiles;
    bool reachable = true;
    // 0: enumerations answer in one part; n: at most n records per call, with MoreData (shares,
    // sessions and open files alike).
    std::size_t enumerationPartSize = 0;
    // Whether a share's path changes with its other fields (as on Samba). Otherwise the path
    // given to a change is ignored, as Windows does.
    bool pathChangesInPlace = false;
};

// An in-memory network of computers standing in for the share, account and directory
// services. It records every call and injects faults. Names of computers and shares match
// ignoring ASCII case, as on the real services.
class FakeNetwork : public ShareService,
                    public AccountService,
                    public DirectoryService,
                    public SessionService {
public:
    Computer& computer(const std::u16string& name); // created on first use
    bool hasComputer(const std::u16string& name) const;

    // Convenience for building test networks.
    ShareInfo502& addShare(const std::u16string& server, ShareInfo502 info);
    ShareInfo502& addDiskShare(const std::u16string& server, const std::u16string& name,
                               const std::u16string& path, const std::u16string& remark = {});
    Account& addAccount(const std::u16string& server, const std::u16string& name,
                        const std::u16string& domain, SidNameUse use, const Sid& sid);
    // Adds "C$\Data\Alpha" and every directory above it.
    void addDirectory(const std::u16string& server, const std::u16string& path);
    const ShareInfo502* findShare(const std::u16string& server, const std::u16string& name) const;

    // The next call of `call` (naming `name`, when given) fails with `result` and changes
    // nothing; with `skip`, that many matching calls go through first. Faults queue in the
    // order given.
    void failNext(Call call, Status result, const std::u16string& name = {}, int skip = 0);

    // Runs at the start of every call, before it takes effect, so a test can act in the middle
    // of a walk over several shares (press Cancel, try to close a dialog).
    std::function<void(Call call, const std::u16string& name)> beforeCall;

    const std::vector<RecordedCall>& calls() const { return m_calls; }
    std::vector<RecordedCall> callsOf(Call call) const;
    void clearCalls() { m_calls.clear(); }

    Status enumerate(const std::u16string& server, std::vector<ShareInfo502>& out,
                     std::uint32_t& resumeHandle) override;
    Status getInfo(const std::u16string& server, const std::u16string& netname,
                   ShareInfo502& out) override;
    Status setInfo(const std::u16string& server, const std::u16string& netname,
                   const ShareInfo502& info) override;
    Status add(const std::u16string& server, const ShareInfo502& info) override;
    Status remove(const std::u16string& server, const std::u16string& netname) override;

    Status lookupName(const std::u16string& system, const std::u16string& name,
                      Account& out) override;
    Status lookupSid(const std::u16string& system, const Sid& sid, Account& out) override;

    Status listDirectories(const std::u16string& server, const std::u16string& nodePath,
                           std::vector<std::u16string>& names) override;

    Status enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                             std::uint32_t& resumeHandle) override;
    // Ends the session and closes the files its user holds (when no other session of that
    // user remains).
    Status deleteSession(const std::u16string& server, const std::u16string& client,
                         const std::u16string& user) override;
    Status enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                          std::uint32_t& resumeHandle) override;
    Status closeFile(const std::u16string& server, std::uint32_t id) override;

private:
    struct Fault {
        Call call;
        Status result;
        std::u16string name;
        int skip = 0;
    };
    Computer* reachableComputer(const std::u16string& name);
    // Tells the test about the call, then takes the fault queued for it, if any.
    std::optional<Status> takeFault(Call call, const std::u16string& name);
    // Takes a fault queued for the call, or else runs `body`; records the call with its result.
    Status answer(Call call, const std::u16string& server, const std::u16string& name,
                  std::optional<ShareInfo502> info, const std::function<Status()>& body);
    Status record(Call call, const std::u16string& server, const std::u16string& name,
                  std::optional<ShareInfo502> info, Status result);
    // A look-up of one account, recorded under `key`: a well-known account answers at once,
    // otherwise the first account of `system` that `matches`.
    Status lookupAccount(Call call, const std::u16string& system, const std::u16string& key,
                         const std::optional<Account>& wellKnown,
                         const std::function<bool(const Account&)>& matches, Account& out);

    std::map<std::u16string, Computer> m_computers; // by lower-cased name
    std::vector<Fault> m_faults;
    std::vector<RecordedCall> m_calls;
};

} // namespace corvane::fake

// The backend against a real Active Directory domain controller: Kerberos and password logons,
// domain accounts, and every call on a server that requires signing or encryption.
#include "DomainController.h"
#include "integration/TestServer.h"
#include "platform/LogonName.h"
#include "platform/SecurityDescriptor.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/smb/codec/Utf.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace corvane;
using namespace corvane::integration;
using smb::StaticCredentials;

namespace {

const DomainController& dc() {
    return DomainController::instance();
}

smb::SmbOptions kerberosOptions() {
    smb::SmbOptions o = integrationOptions();
    o.kerberos = smb::KerberosMode::Auto;
    return o;
}

// A backend made while `cache` is the ticket cache, answering "Connect as" from `credentials`.
struct DomainSession {
    explicit DomainSession(const std::string& cachePath, StaticCredentials answers = {})
        : cache(cachePath), credentials(std::move(answers)),
          network(credentials, kerberosOptions()) {}
    TicketCache cache;
    StaticCredentials credentials;
    smb::SmbNetwork network;
};

Credentials administrator() {
    return {u"Administrator", dc().domain(), dc().password("Administrator")};
}

bool listsShare(smb::SmbNetwork& network, const std::u16string& server,
                const std::u16string& netname, Status* result = nullptr) {
    const auto shares = enumerateAll(network, server, result);
    return std::any_of(shares.begin(), shares.end(),
                       [&](const ShareInfo502& s) { return s.netname == netname; });
}

Acl dacl(const std::vector<std::pair<Sid, std::uint32_t>>& allowed) {
    std::size_t size = AclHeaderSize;
    for (const auto& e : allowed)
        size += 8 + e.first.length();
    auto acl = *Acl::initialize(size, AclRevision);
    for (const auto& [sid, mask] : allowed)
        acl.addAllowedAce(0, mask, sid);
    return acl;
}

class DomainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(dc().resetShares()); }
    static void TearDownTestSuite() { dc().resetShares(); }
};

} // namespace

// With a ticket the controller opens by name without a question; the ticket's user is the one
// the server sees (alice may list shares but not add one).
TEST_F(DomainTest, TicketOpensTheControllerByNameWithoutAsking) {
    const auto path = newTicketCachePath("alice");
    ASSERT_TRUE(dc().ticket("alice", path));
    DomainSession s(path);
    Status result = 1;
    EXPECT_TRUE(listsShare(s.network, dc().name(), u"Staff", &result));
    EXPECT_EQ(result, status::Success);
    EXPECT_EQ(s.credentials.timesAsked(), 0);
    ShareInfo502 info;
    info.netname = u"CorvaneByAlice";
    info.path = dc().serverPath("Homes/alice");
    EXPECT_EQ(s.network.add(dc().name(), info), status::AccessDenied);
}

// With a ticket the program knows its account only from the ticket: its own session is marked,
// alice's from the same address is not.
TEST_F(DomainTest, TicketSessionIsThisProgramsOwn) {
    const auto alicePath = newTicketCachePath("alice-too"), path = newTicketCachePath("admin");
    ASSERT_TRUE(dc().ticket("alice", alicePath) && dc().ticket("Administrator", path));
    DomainSession alice(alicePath);
    ASSERT_TRUE(listsShare(alice.network, dc().name(), u"Staff"));
    DomainSession s(path);
    std::vector<SessionInfo> listed;
    std::uint32_t resume = 0;
    ASSERT_EQ(s.network.enumerateSessions(dc().name(), listed, resume), status::Success);
    ASSERT_EQ(listed.size(), 2u);
    for (const SessionInfo& i : listed)
        EXPECT_EQ(i.thisProgram, i.user.find(u"lice") == std::u16string::npos)
            << smb::toUtf8(i.user);
}

// An expired ticket is refused by the server; the program then asks, and the answer works.
TEST_F(DomainTest, ExpiredTicketAsksForALogon) {
    const auto path = newTicketCachePath("expired");
    ASSERT_TRUE(dc().ticket("alice", path, "3s"));
    std::this_thread::sleep_for(std::chrono::seconds(4));
    DomainSession s(path, StaticCredentials({u"alice", dc().domain(), dc().password("alice")}));
    Status result = 1;
    EXPECT_TRUE(listsShare(s.network, dc().name(), u"Staff", &result));
    EXPECT_EQ(result, status::Success);
    EXPECT_EQ(s.credentials.timesAsked(), 1);
}

// The forms a user types into "Connect as": DOMAIN\user, user@realm, and a bare user with the
// domain in its own box.
class ConnectAsForms : public DomainTest,
                       public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(ConnectAsForms, PasswordLogonWorks) {
    const auto [typedUser, typedDomain] = GetParam();
    const auto [user, domain] =
        splitLogonName(smb::fromUtf8(typedUser), smb::fromUtf8(typedDomain));
    DomainSession s(newTicketCachePath("none"),
                    StaticCredentials({user, domain, dc().password("alice")}));
    Status result = 1;
    EXPECT_TRUE(listsShare(s.network, dc().name(), u"Staff", &result)) << typedUser;
    EXPECT_EQ(result, status::Success);
    EXPECT_EQ(s.credentials.timesAsked(), 1);
}

INSTANTIATE_TEST_SUITE_P(Domain, ConnectAsForms,
                         ::testing::Values(std::pair{"CORVANE\\alice", ""},
                                           std::pair{"alice@CORVANE.TEST", ""},
                                           std::pair{"alice", "CORVANE"}));

// The strict server refuses NTLM. Opened by its address, where a Kerberos logon cannot work (a
// ticket names the host), a password logon ends at once with the reason: not with the question
// repeated until the user gives up, nor with a bare number.
TEST_F(DomainTest, PasswordLogonWithNtlmRefusedEndsWithTheReason) {
    DomainSession s(newTicketCachePath("none"), StaticCredentials(administrator()));
    Status result = 0;
    listsShare(s.network, dc().strictAddress(), u"Staff", &result);
    EXPECT_EQ(result, status::NtlmBlocked);
    EXPECT_EQ(s.credentials.timesAsked(), 1);
    EXPECT_NE(describeLogonFailure(result).find(u"NTLM"), std::u16string::npos);
}

// Every call the program makes, on dc.corvane.test (signing mandatory) with a password and on
// strict.corvane.test (encryption required, Kerberos only) with a ticket.
class EveryCall : public DomainTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EveryCall, WorksWithSigningOrEncryptionRequired) {
    const bool strict = GetParam();
    const auto path = newTicketCachePath("admin");
    if (strict) {
        ASSERT_TRUE(dc().ticket("Administrator", path));
    }
    DomainSession s(path, strict ? StaticCredentials() : StaticCredentials(administrator()));
    auto& net = s.network;
    const std::u16string server = strict ? dc().strictName() : dc().name();
    EXPECT_EQ(s.credentials.timesAsked(), 0);

    Account staff, alice;
    ASSERT_EQ(net.lookupName(server, dc().group(), staff), status::Success);
    ASSERT_EQ(net.lookupName(server, dc().user1(), alice), status::Success);
    Account back;
    ASSERT_EQ(net.lookupSid(server, staff.sid, back), status::Success);
    EXPECT_EQ(back.name, dc().group());

    ShareInfo502 info;
    info.netname = strict ? u"CorvaneStrict" : u"CorvaneSigned";
    info.remark = u"made by the test";
    info.path = dc().serverPath("Homes/alice");
    const auto acl = dacl({{staff.sid, 0x001200A9}, {alice.sid, 0x001F01FF}});
    info.securityDescriptor = SecurityDescriptor::withDacl(acl).toSelfRelative();
    ASSERT_EQ(net.add(server, info), status::Success);

    ShareInfo502 read;
    enumerateAll(net, server); // the worker reads the definitions again
    ASSERT_EQ(net.getInfo(server, info.netname, read), status::Success);
    EXPECT_EQ(read.remark, info.remark);
    const auto readAcl = daclOf(read.securityDescriptor);
    ASSERT_TRUE(readAcl);
    EXPECT_EQ(readAcl->bytes(), acl.bytes());

    read.remark = u"changed by the test";
    EXPECT_EQ(net.setInfo(server, info.netname, read), status::Success);
    std::vector<std::u16string> dirs;
    EXPECT_EQ(net.listDirectories(server, u"D$\\Homes\\", dirs), status::Success);
    EXPECT_NE(std::find(dirs.begin(), dirs.end(), u"alice"), dirs.end());
    EXPECT_EQ(net.remove(server, info.netname), status::Success);
    EXPECT_FALSE(listsShare(net, server, info.netname));
    EXPECT_EQ(s.credentials.timesAsked(), strict ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Domain, EveryCall, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Encrypted" : "Signed"; });

// "Require encryption": the controller's encryption-required name (with a ticket) and the
// stand-alone server (with a password) both open and list their drive shares. "Never use NTLM":
// a server opened by its address, where no ticket can work, is refused without a question.
TEST_F(DomainTest, PreferencesRequireEncryptionOrKerberos) {
    const auto path = newTicketCachePath("admin");
    ASSERT_TRUE(dc().ticket("Administrator", path));
    TicketCache cache(path);
    const TestServer& standAlone = TestServer::primary();
    smb::SmbOptions options = kerberosOptions();
    options.security.requireEncryption = true;
    StaticCredentials answers(standAlone.adminCredentials());
    smb::SmbNetwork encrypted(answers, options);
    EXPECT_TRUE(listsShare(encrypted, dc().strictName(), u"Staff"));
    Status result = 0;
    EXPECT_TRUE(listsShare(encrypted, standAlone.address(), u"Alpha", &result));
    EXPECT_EQ(result, status::Success);
    std::vector<std::u16string> dirs;
    EXPECT_EQ(encrypted.listDirectories(standAlone.address(), u"C$\\", dirs), status::Success);

    options.security.requireEncryption = false;
    options.security.kerberosOnly = true;
    StaticCredentials none;
    smb::SmbNetwork kerberosOnly(none, options);
    EXPECT_TRUE(listsShare(kerberosOnly, dc().strictName(), u"Staff"));
    listsShare(kerberosOnly, dc().strictAddress(), u"Staff", &result);
    EXPECT_EQ(result, status::NtlmBlocked);
    EXPECT_EQ(none.timesAsked(), 0);
    EXPECT_NE(describeLogonFailure(result).find(u"Never use NTLM"), std::u16string::npos);
}

// Names as the Add button and the directory-name option pass them: DOMAIN\name, name@realm and
// a bare name, users and groups, the built-in domain groups among them.
class DomainNames : public DomainTest,
                    public ::testing::WithParamInterface<std::pair<const char*, SidNameUse>> {};

TEST_P(DomainNames, ResolveToTheDomainAccountAndBack) {
    DomainSession s(newTicketCachePath("none"), StaticCredentials(administrator()));
    const auto [typed, use] = GetParam();
    Account account;
    ASSERT_EQ(s.network.lookupName(dc().name(), smb::fromUtf8(typed), account), status::Success)
        << typed;
    EXPECT_EQ(account.use, use);
    EXPECT_EQ(account.domain, dc().domain());
    const auto domainSid = account.sid.toString();
    EXPECT_TRUE(domainSid.starts_with("S-1-5-21-")) << domainSid;

    Account back;
    ASSERT_EQ(s.network.lookupSid(dc().name(), account.sid, back), status::Success);
    EXPECT_EQ(back.domain, dc().domain());
    EXPECT_EQ(back.use, use);
    std::string name = typed;
    if (const auto at = name.find('@'); at != std::string::npos)
        name.resize(at);
    if (const auto slash = name.find('\\'); slash != std::string::npos)
        name.erase(0, slash + 1);
    EXPECT_EQ(smb::toUtf8(back.name), name);
}

INSTANTIATE_TEST_SUITE_P(Domain, DomainNames,
                         ::testing::Values(std::pair{"CORVANE\\alice", SidNameUse::User},
                                           std::pair{"alice@corvane.test", SidNameUse::User},
                                           std::pair{"bob", SidNameUse::User},
                                           std::pair{"corvane-staff", SidNameUse::Group},
                                           std::pair{"CORVANE\\Domain Users", SidNameUse::Group},
                                           std::pair{"Domain Admins", SidNameUse::Group}));

// Copying a share from the controller to the stand-alone server keeps the domain SIDs of its
// list byte for byte, although the stand-alone server cannot name them.
TEST_F(DomainTest, CopyToTheStandAloneServerKeepsDomainSids) {
    const TestServer& standalone = TestServer::primary();
    ASSERT_TRUE(standalone.resetShares());
    DomainSession s(newTicketCachePath("none"));
    s.credentials.set(dc().name(), administrator());
    s.credentials.set(standalone.address(), standalone.adminCredentials());

    ShareInfo502 info;
    ASSERT_EQ(s.network.getInfo(dc().name(), u"Staff", info), status::Success);
    const auto source = daclOf(info.securityDescriptor);
    ASSERT_TRUE(source);
    info.path = standalone.serverPath("D", "Work");
    ASSERT_EQ(s.network.add(standalone.address(), info), status::Success);

    ShareInfo502 copied;
    const Status read = readBack(standalone, u"Staff", copied);
    standalone.resetShares();
    ASSERT_EQ(read, status::Success);
    const auto kept = daclOf(copied.securityDescriptor);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->bytes(), source->bytes());

    const auto first = kept->ace(0);
    ASSERT_TRUE(first && first->sid);
    Account unknown;
    EXPECT_EQ(s.network.lookupSid(standalone.address(), *first->sid, unknown), status::NoneMapped)
        << smb::toUtf8(unknown.domain) << "\\" << smb::toUtf8(unknown.name) << " "
        << static_cast<int>(unknown.use);
}

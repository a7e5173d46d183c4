#include "security/AclEditSession.h"
#include "AclText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

using Box = AclEditSession::Box;
using Entries = std::vector<std::string>;

// The main window's rules: file-specific masks recognised, no list shows Full Control.
const AclEditSession::Options MainWindow{true, true};
const AclEditSession::Options Dialog{false, false};

std::optional<Acl> listOf(const Entries& entries) {
    QStringList texts;
    for (const std::string& e : entries)
        texts << QString::fromStdString(e);
    return aclFrom(texts);
}

Entries entriesIn(const std::optional<Acl>& acl) {
    Entries out;
    for (const QString& e : entriesOf(acl))
        out.push_back(e.toStdString());
    return out;
}

// The six boxes as "AFC AC AR DFC DC DR", '1' for ticked.
std::string boxesOf(const AclEditSession& session) {
    std::string out;
    for (bool ticked : session.boxes())
        out += ticked ? '1' : '0';
    return out;
}

Sid sidOf(const char* user) {
    return testSids().at(QString::fromLatin1(user));
}

struct ShowCase {
    const char* name;
    bool mainWindow;
    Entries entries;
    const char* user;
    const char* expectedBoxes;
    std::size_t designated = 0; // the user's last entry
};

class ShowingAUser : public ::testing::TestWithParam<ShowCase> {};

// Selecting a user ticks the boxes its entries' masks select and changes no entry.
TEST_P(ShowingAUser, TicksTheRecognisedBoxes) {
    const auto& c = GetParam();
    std::optional<Acl> acl = listOf(c.entries);
    AclEditSession session(c.mainWindow ? MainWindow : Dialog);
    session.bind(&acl);
    session.select(sidOf(c.user));
    EXPECT_EQ(boxesOf(session), c.expectedBoxes);
    EXPECT_EQ(entriesIn(acl), c.entries);
    EXPECT_TRUE(session.userSelected());
    EXPECT_EQ(session.selectedAce(), std::optional<std::size_t>(c.designated));
}

INSTANTIATE_TEST_SUITE_P(
    Masks, ShowingAUser,
    ::testing::Values(
        ShowCase{"MainGenericAll", true, {"A:alice:10000000"}, "alice", "111000"},
        ShowCase{"MainFileAllAccess", true, {"A:alice:1f01ff"}, "alice", "111000"},
        ShowCase{"DialogFileAllAccessIsNothing", false, {"A:alice:1f01ff"}, "alice", "000000"},
        ShowCase{"MainFileGenericRead", true, {"A:alice:120089"}, "alice", "001000"},
        ShowCase{"MainReadWithExecute", true, {"A:alice:1200a9"}, "alice", "001000"},
        ShowCase{"DialogReadWithExecuteIsNothing", false, {"A:alice:1200a9"}, "alice", "000000"},
        ShowCase{"MainWriteDataSet", true, {"A:alice:100116"}, "alice", "011000"},
        ShowCase{"MainFileGenericWrite", true, {"A:alice:120116"}, "alice", "011000"},
        // As Samba stores entries written with a generic right: the right and its file rights.
        ShowCase{"MainGenericAllAsStored", true, {"A:alice:101f01ff"}, "alice", "111000"},
        ShowCase{"MainGenericWriteAsStored", true, {"A:alice:40120116"}, "alice", "011000"},
        ShowCase{"MainGenericReadAsStored", true, {"D:alice:80120089"}, "alice", "000001"},
        ShowCase{
            "DialogGenericAllAsStoredIsNothing", false, {"A:alice:101f01ff"}, "alice", "000000"},
        ShowCase{
            "MainReadAndExecuteAsStoredIsNothing", true, {"A:alice:a01200a9"}, "alice", "000000"},
        ShowCase{"Main1301bfIsNothing", true, {"A:alice:1301bf"}, "alice", "000000"},
        ShowCase{"DialogGenericWrite", false, {"A:alice:40000000"}, "alice", "011000"},
        ShowCase{"DialogGenericRead", false, {"A:alice:80000000"}, "alice", "001000"},
        ShowCase{"MainDeniedGenericAll", true, {"D:alice:10000000"}, "alice", "000111"},
        ShowCase{"MainDeniedFileRead", true, {"D:alice:120089"}, "alice", "000001"},
        ShowCase{"DialogDeniedFileReadIsNothing", false, {"D:alice:120089"}, "alice", "000000"},
        // Every entry of the user is shown; the panel edits the last one.
        ShowCase{"SeveralEntriesAllShownLastEdited",
                 true,
                 {"D:alice:80000000", "A:alice:10000000", "A:bob:40000000"},
                 "alice",
                 "111000",
                 1},
        ShowCase{"OtherUsersEntriesNotShown",
                 true,
                 {"D:alice:80000000", "A:alice:10000000", "A:bob:40000000"},
                 "bob",
                 "011000",
                 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct ClickCase {
    const char* name;
    Entries entries;
    const char* user;
    Box box;
    bool tick;
    Entries expected;
    const char* expectedBoxes;
};

class ClickingABox : public ::testing::TestWithParam<ClickCase> {};

// One click on the selected user's panel: the cascade writes the entry, or rebuilds the user's
// entries when the entry is of the other column's type.
TEST_P(ClickingABox, RewritesTheUsersEntries) {
    const auto& c = GetParam();
    std::optional<Acl> acl = listOf(c.entries);
    AclEditSession session(MainWindow);
    session.bind(&acl);
    session.select(sidOf(c.user));
    ASSERT_EQ(entriesIn(acl), c.entries); // showing changes nothing
    EXPECT_EQ(session.click(c.box, c.tick), AclEditSession::ClickResult::Done);
    EXPECT_EQ(entriesIn(acl), c.expected);
    EXPECT_EQ(boxesOf(session), c.expectedBoxes);
    // The panel goes on editing the user's entry: one more click lands on it.
    ASSERT_TRUE(session.selectedAce());
    EXPECT_EQ(acl->ace(*session.selectedAce())->sid, sidOf(c.user));
}

INSTANTIATE_TEST_SUITE_P(
    Cascades, ClickingABox,
    ::testing::Values(
        ClickCase{"UntickAllowReadOnFullControlEndsAtMask0RowKept",
                  {"A:alice:10000000"},
                  "alice",
                  Box::AllowRead,
                  false,
                  {"A:alice:0"},
                  "000000"},
        ClickCase{"TickAllowFullControlOnRead",
                  {"A:alice:80000000"},
                  "alice",
                  Box::AllowFullControl,
                  true,
                  {"A:alice:10000000"},
                  "111000"},
        ClickCase{"UntickAllowFullControlLeavesChange",
                  {"A:alice:10000000"},
                  "alice",
                  Box::AllowFullControl,
                  false,
                  {"A:alice:40000000"},
                  "011000"},
        ClickCase{"UntickAllowChangeLeavesRead",
                  {"A:alice:10000000"},
                  "alice",
                  Box::AllowChange,
                  false,
                  {"A:alice:80000000"},
                  "001000"},
        ClickCase{"TickAllowChangeOnRead",
                  {"A:alice:80000000"},
                  "alice",
                  Box::AllowChange,
                  true,
                  {"A:alice:40000000"},
                  "011000"},
        ClickCase{"TickAllowReadOnDeniedReadGivesOneAllowedEntryAfterTheDenyRun",
                  {"D:carol:10000000", "D:alice:80000000", "A:bob:10000000", "A:staff:80000000:13"},
                  "alice",
                  Box::AllowRead,
                  true,
                  {"D:carol:10000000", "A:alice:80000000", "A:bob:10000000", "A:staff:80000000:13"},
                  "001000"},
        ClickCase{"TickDenyReadOnAllowedFullControlGivesOneDeniedEntryAtTheHead",
                  {"A:bob:10000000", "A:alice:10000000"},
                  "alice",
                  Box::DenyRead,
                  true,
                  {"D:alice:80000000", "A:bob:10000000"},
                  "000001"},
        ClickCase{"TickDenyFullControlOnAllowedRead",
                  {"A:alice:80000000", "A:bob:10000000"},
                  "alice",
                  Box::DenyFullControl,
                  true,
                  {"D:alice:10000000", "A:bob:10000000"},
                  "000111"},
        ClickCase{"TickAllowFullControlOnDeniedChange",
                  {"D:bob:80000000", "D:alice:40000000", "A:carol:10000000"},
                  "alice",
                  Box::AllowFullControl,
                  true,
                  {"D:bob:80000000", "A:alice:10000000", "A:carol:10000000"},
                  "111000"},
        ClickCase{"UntickDenyReadOnDeniedFullControlEndsAtMask0",
                  {"D:alice:10000000"},
                  "alice",
                  Box::DenyRead,
                  false,
                  {"D:alice:0"},
                  "000000"},
        ClickCase{"UntickDenyFullControlLeavesDenyChange",
                  {"D:alice:10000000"},
                  "alice",
                  Box::DenyFullControl,
                  false,
                  {"D:alice:40000000"},
                  "000011"},
        ClickCase{"TickDenyChangeOnDeniedRead",
                  {"D:alice:80000000"},
                  "alice",
                  Box::DenyChange,
                  true,
                  {"D:alice:40000000"},
                  "000011"},
        ClickCase{"DenySideKeepsTheUsersOtherDeniedEntries",
                  {"D:alice:40000000:13", "A:alice:80000000"},
                  "alice",
                  Box::DenyRead,
                  true,
                  {"D:alice:80000000", "D:alice:40000000:13"},
                  "000001"},
        ClickCase{"RecognisedAsNothingTakesTheClickedMask",
                  {"A:alice:1301bf"},
                  "alice",
                  Box::AllowRead,
                  true,
                  {"A:alice:80000000"},
                  "001000"}),
    [](const auto& info) { return std::string(info.param.name); });

// No list at all lets everyone in: the main window shows Full Control, the security dialog
// nothing; neither builds a list by showing it.
TEST(AclEditSession, NoListShowsFullControlInTheMainWindowOnly) {
    for (const bool mainWindow : {true, false}) {
        std::optional<Acl> none;
        AclEditSession session(mainWindow ? MainWindow : Dialog);
        session.bind(&none);
        session.select(sidOf("alice"));
        EXPECT_EQ(boxesOf(session), mainWindow ? "111000" : "000000");
        EXPECT_FALSE(none);
    }
}

// A new entry goes before inherited Deny entries; the panel stays on the selected user's.
TEST(AclEditSession, AddKeepsThePanelOnTheSelectedEntry) {
    std::optional<Acl> acl = listOf({"D:bob:80000000:13", "A:alice:10000000"});
    AclEditSession session(MainWindow);
    session.bind(&acl);
    session.select(sidOf("bob"));
    ASSERT_TRUE(session.add(sidOf("carol")));
    EXPECT_EQ(entriesIn(acl),
              (Entries{"A:carol:10000000", "D:bob:80000000:13", "A:alice:10000000"}));
    EXPECT_EQ(session.selectedAce(), std::optional<std::size_t>(1));
}

} // namespace

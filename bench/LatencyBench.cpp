// The network calls of opening a computer and of selecting a share, against a real server, as
// one process for bench/latency.sh to time against rpcclient making the same calls:
//
//   bench_latency open SERVER          the list as the program reads it (level 2); the drive
//                                      tree read from it
//   bench_latency probe SERVER         enumeration at level 502, then the 26 drive probes (the
//                                      open as it was before)
//   bench_latency select SERVER SHARE  the share's record, then its users' names
//   bench_latency reselect SERVER SHARE   an open (the enumeration), then the selection twice,
//                                      each timed inside: "selections: FIRST ms, AGAIN ms"
//
// With --rpcclient first, it also prints the calls as an rpcclient command list: for both kinds
// of open the enumeration and the 26 probes, the calls a client makes that fills the drive tree
// by asking, as the yardstick.
// The logon comes from CORVANE_TEST_ADMIN_USER and CORVANE_TEST_ADMIN_PASSWORD.
#include "platform/SecurityDescriptor.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/smb/codec/Utf.h"
#include "shares/DriveProbe.h"
#include "tests/support/StaticCredentials.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace corvane;

namespace {

std::string commands;

void command(const std::string& text) {
    if (!commands.empty())
        commands += "; ";
    commands += text;
}

// When the process started, for the time to the first rows.
const auto processStart = std::chrono::steady_clock::now();

int open(smb::SmbNetwork& net, const std::u16string& server, bool probe) {
    std::vector<ShareInfo502> all, part;
    std::uint32_t resume = 0;
    Status s = 0;
    do {
        s = probe ? net.enumerate(server, part, resume) : net.listShares(server, part, resume);
        if (all.empty())
            std::fprintf(stderr, "first rows: %zu at %.0f ms\n", part.size(),
                         std::chrono::duration<double, std::milli>(
                             std::chrono::steady_clock::now() - processStart)
                             .count());
        all.insert(all.end(), part.begin(), part.end());
    } while (s == status::MoreData);
    if (s != status::Success) {
        std::fprintf(stderr, "enumeration failed: %u\n", s);
        return 1;
    }
    command("netshareenumall 502");
    QStringList names;
    for (const ShareInfo502& share : all)
        names.append(QString::fromStdU16String(share.netname));
    const QStringList listed = driveSharesAmong(names);
    qsizetype drives = listed.size();
    if (probe)
        drives = probeDriveShares(net, QString::fromStdU16String(server)).size();
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const std::string text = smb::toUtf8(std::u16string{letter, u'$'});
        command("netsharegetinfo " + text + " 502");
        if (listed.contains(QString(QChar(letter))))
            command("netsharegetinfo " + text + " 2");
    }
    std::fprintf(stderr, "%zu shares, %lld drive shares\n", all.size(),
                 static_cast<long long>(drives));
    return 0;
}

int select(smb::SmbNetwork& net, const std::u16string& server, const std::u16string& share) {
    ShareInfo502 info;
    if (Status s = net.getInfo(server, share, info); s != status::Success) {
        std::fprintf(stderr, "get-info failed: %u\n", s);
        return 1;
    }
    command("netsharegetinfo " + smb::toUtf8(share) + " 502");
    command("netsharegetinfo " + smb::toUtf8(share) + " 2");
    std::vector<Sid> sids;
    if (const auto dacl = daclOf(info.securityDescriptor)) {
        for (std::size_t i = 0; i < dacl->aceCount(); ++i)
            if (const auto ace = dacl->ace(i); ace && ace->sid)
                sids.push_back(*ace->sid);
    }
    std::string lookup = "lookupsids";
    for (const auto& sid : sids)
        lookup += " " + sid.toString();
    command(lookup);
    int named = 0;
#ifdef CORVANE_BENCH_PER_ROW_LOOKUPS
    for (const auto& sid : sids) {
        Account account;
        named += net.lookupSid(server, sid, account) == status::Success;
    }
#else
    std::vector<Account> accounts;
    std::vector<Status> results;
    net.lookupSids(server, sids, accounts, results);
    for (Status s : results)
        named += s == status::Success;
#endif
    std::fprintf(stderr, "%zu users, %d named\n", sids.size(), named);
    return 0;
}

int reselect(smb::SmbNetwork& net, const std::u16string& server, const std::u16string& share) {
    std::vector<ShareInfo502> part;
    std::uint32_t resume = 0;
    Status s = 0;
    do
        s = net.listShares(server, part, resume);
    while (s == status::MoreData);
    if (s != status::Success) {
        std::fprintf(stderr, "enumeration failed: %u\n", s);
        return 1;
    }
    double ms[2] = {};
    for (double& each : ms) {
        const auto start = std::chrono::steady_clock::now();
        if (select(net, server, share) != 0)
            return 1;
        each = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                   .count();
    }
    std::printf("selections: %.1f ms, %.1f ms\n", ms[0], ms[1]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool printCommands = false;
    if (argc > 1 && std::strcmp(argv[1], "--rpcclient") == 0) {
        printCommands = true;
        ++argv;
        --argc;
    }
    const char* user = std::getenv("CORVANE_TEST_ADMIN_USER");
    const char* password = std::getenv("CORVANE_TEST_ADMIN_PASSWORD");
    const bool namesShare =
        argc > 1 && (std::strcmp(argv[1], "select") == 0 || std::strcmp(argv[1], "reselect") == 0);
    if (argc < 3 || !user || !password || (namesShare && argc < 4)) {
        std::fprintf(
            stderr,
            "usage: %s [--rpcclient] open SERVER | probe SERVER | (re)select SERVER SHARE\n"
            "(logon from CORVANE_TEST_ADMIN_USER / _PASSWORD)\n",
            argv[0]);
        return 2;
    }
    smb::StaticCredentials credentials(
        Credentials{smb::fromUtf8(user), u"", smb::fromUtf8(password)});
    smb::SmbOptions options;
    options.kerberos = smb::KerberosMode::Off;
    smb::SmbNetwork net(credentials, options);
    const std::u16string server = smb::fromUtf8(argv[2]);
    const bool probe = std::strcmp(argv[1], "probe") == 0;
    int result = 0;
    if (probe || std::strcmp(argv[1], "open") == 0)
        result = open(net, server, probe);
    else if (std::strcmp(argv[1], "reselect") == 0)
        result = reselect(net, server, smb::fromUtf8(argv[3]));
    else
        result = select(net, server, smb::fromUtf8(argv[3]));
    if (printCommands)
        std::printf("%s\n", commands.c_str());
    return result;
}

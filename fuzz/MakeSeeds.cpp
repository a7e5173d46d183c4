// Writes a few well-formed inputs per fuzz target: fuzz_seeds OUTDIR
// (OUTDIR/<target>/seed-N). Small on purpose; the fuzzer finds the rest.
#include "platform/SecurityDescriptor.h"
#include "tests/platform_smb/codec/TestBytes.h"
#include "tests/platform_smb/codec/WireFixtures.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace corvane;
using Bytes = std::vector<std::uint8_t>;
using namespace smb::test;

namespace {

Bytes prefixed(std::uint8_t selector, const Bytes& b) {
    Bytes out{selector};
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

void write(const std::filesystem::path& dir, const std::vector<Bytes>& seeds) {
    std::filesystem::create_directories(dir);
    int n = 0;
    for (const auto& s : seeds) {
        std::ofstream f(dir / ("seed-" + std::to_string(n++)), std::ios::binary);
        f.write(reinterpret_cast<const char*>(s.data()), static_cast<std::streamsize>(s.size()));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::filesystem::path out(argv[1]);

    const Bytes getInfo = hex(GetInfoReply);
    const Bytes enumReply = hex(ShareEnumAnswer);
    const Bytes getInfo2 = hex(GetInfo2Reply);
    // Answers at level 1 whatever level was asked, as some servers give them.
    const Bytes enumAtLevel1 = hex("01000000 01000000 00000200 01000000 04000200 01000000"
                                   "08000200 00000000 0c000200"
                                   "02000000 00000000 02000000 6100 0000"
                                   "01000000 00000000 01000000 0000 0000"
                                   "01000000 00000000 00000000");
    const Bytes getInfoAtLevel1 = hex("01000000 00000200 04000200 00000000 08000200"
                                      "02000000 00000000 02000000 6100 0000"
                                      "01000000 00000000 01000000 0000 0000"
                                      "00000000");
    write(out / "fuzz_srvsvc",
          {prefixed(0, enumReply), prefixed(1, getInfo),
           prefixed(2, hex("00000200 05000000 00000000")), prefixed(3, hex("00000000 46080000")),
           prefixed(4, hex("06090000")), prefixed(5, getInfo2), prefixed(0, enumAtLevel1),
           prefixed(1, getInfoAtLevel1), prefixed(5, getInfoAtLevel1)});

    const Bytes everyone = hex("00000200 01000000 04000200 20000000"
                               "01000000 0000 0200 08000200 0c000200"
                               "01000000 00000000 00000000"
                               "00000000 01 00 000000000001"
                               "01000000 10000200 01000000"
                               "0500 0000 00000000 00000000 01000000 00000000");
    const Bytes administrators =
        hex("00000200 01000000 04000200 20000000 01000000 0e00 1000 08000200 0c000200"
            "08000000 00000000 07000000 4200 5500 4900 4c00 5400 4900 4e00 0000"
            "01000000 01 01 000000000005 20000000"
            "01000000 10000200 01000000 0400 0000 1c00 1c00 14000200 00000000"
            "0e000000 00000000 0e000000 4100 6400 6d00 6900 6e00 6900 7300 7400 7200 6100 7400 "
            "6f00 7200 7300 01000000 00000000");
    const Bytes handle = hex("0102030405060708090a0b0c0d0e0f1011121314 00000000");
    write(out / "fuzz_lsarpc", {prefixed(0, everyone), prefixed(1, administrators),
                                prefixed(2, handle), prefixed(3, handle)});
    write(out / "fuzz_samr", {prefixed(0, handle), prefixed(1, hex(GroupsForUserReply)),
                              prefixed(2, hex(AliasMembershipReply))});

    // Selector, the 32-bit argument (resume handle sent, or the level-2 call's status), stub.
    const auto reply = [](std::uint8_t selector, std::uint32_t argument, const Bytes& stub) {
        Bytes out{
            selector, static_cast<std::uint8_t>(argument), static_cast<std::uint8_t>(argument >> 8),
            static_cast<std::uint8_t>(argument >> 16), static_cast<std::uint8_t>(argument >> 24)};
        out.insert(out.end(), stub.begin(), stub.end());
        return out;
    };
    write(out / "fuzz_replies",
          {reply(0, 0, enumReply), reply(0, 2, enumReply), reply(1, 0, getInfo2),
           reply(1, 1745, getInfo2), reply(2, 0, everyone), reply(3, 0, administrators)});

    write(out / "fuzz_utf8",
          {Bytes{'D', 'a', 't', 'a'}, hex("c3 a9 74 c3 a9 20 e2 82 ac 20 f0 9f 98 80"),
           hex("ed a0 80 c0 af ff 41")});

    const Bytes sessionEnum = hex(SessionEnumReply);
    const Bytes fileEnum = hex(FileEnumReply);
    write(out / "fuzz_sessions",
          {prefixed(0, sessionEnum), prefixed(1, fileEnum), prefixed(2, hex("00000000"))});

    auto acl = *Acl::initialize(AclHeaderSize + 20 + 28, AclRevision);
    acl.addDeniedAce(0, 0x1301BF, *Sid::fromString("S-1-5-32-546"));
    acl.addAllowedAce(ObjectInheritAce | ContainerInheritAce, 0x1F01FF,
                      *Sid::fromString("S-1-5-21-1-2-3-1001"));
    const Bytes withDacl = SecurityDescriptor::withDacl(acl).toSelfRelative();
    const Bytes nullDacl = SecurityDescriptor::withNullDacl().toSelfRelative();
    const Bytes withOwner = hex("01 00 04 80 14000000 24000000 00000000 34000000"
                                "01 02 000000000005 20000000 20020000"
                                "01 02 000000000005 20000000 20020000"
                                "02 00 1c00 0100 0000"
                                "00 00 1400 ff011f00 01 01 000000000001 00000000");
    write(out / "fuzz_security_descriptor", {withDacl, nullDacl, withOwner});
    write(out / "fuzz_acl", {acl.bytes(), Acl::initialize(AclHeaderSize, AclRevision)->bytes()});

    const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    // Everyone allowed GENERIC_ALL, and a share without a descriptor.
    const Bytes shareFile = text(R"({"version": 1, "computer": "SRV",
        "exported": "2026-01-02T03:04:05Z", "shares": [
        {"name": "Data", "type": 0, "path": "D:\\Old\\Data", "comment": "Team data",
         "maxUsers": 5, "securityDescriptor": "AQAEgAAAAAAAAAAAAAAAABQAAAACABwAAQAAAAADFAAAAAAQAQEAAAAAAAEAAAAA",
         "entries": [{"account": "Everyone", "sid": "S-1-1-0", "type": "Allow",
                      "access": "Full Control"}]},
        {"name": "Open$", "type": 2147483648, "path": "", "comment": "", "maxUsers": -1,
         "securityDescriptor": null, "entries": []}]})");
    write(out / "fuzz_share_file", {shareFile, text(R"({"version": 1})")});
    return 0;
}

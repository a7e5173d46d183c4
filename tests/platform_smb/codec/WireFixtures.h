#pragma once

// Answers of the server service as they travel, shared by the codec tests and the fuzzers'
// seeds. Byte for byte what Samba's own marshalling gives for these values.
namespace corvane::smb::test {

// NetrShareGetInfo answer: share "ab", remark "", path "C:", no password, max uses -1,
// one user, a 20-byte descriptor.
inline constexpr const char* GetInfoReply = "f6010000 00000200"
                                            "04000200 00000000 08000200 00000000 ffffffff 01000000"
                                            "0c000200 00000000 14000000 10000200"
                                            "03000000 00000000 03000000 6100 6200 0000 0000"
                                            "01000000 00000000 01000000 0000 0000"
                                            "03000000 00000000 03000000 4300 3a00 0000 0000"
                                            "14000000"
                                            "01 00 04 80 00000000 00000000 00000000 00000000"
                                            "00000000";

// NetrShareEnum answer: two shares ("a" with remark "r" and no descriptor, "IPC$" special),
// total 5, resume handle 2, ERROR_MORE_DATA.
inline constexpr const char* ShareEnumAnswer =
    "f6010000 f6010000 00000200"
    "02000000 04000200"
    "02000000"
    "08000200 00000000 0c000200 00000000 05000000 00000000"
    "10000200 00000000 00000000 00000000"
    "14000200 03000080 18000200 00000000 ffffffff 00000000"
    "1c000200 00000000 00000000 00000000"
    "02000000 00000000 02000000 6100 0000"
    "02000000 00000000 02000000 7200 0000"
    "01000000 00000000 01000000 0000 0000"
    "05000000 00000000 05000000 4900 5000 4300 2400 0000 0000"
    "01000000 00000000 01000000 0000 0000"
    "01000000 00000000 01000000 0000 0000"
    "05000000"
    "20000200 02000000"
    "ea000000";

// The same share at level 2 (Samba's way of telling the user limit): limit 5, two users, no
// descriptor fields.
inline constexpr const char* GetInfo2Reply = "02000000 00000200"
                                             "04000200 00000000 08000200 00000000 05000000 02000000"
                                             "0c000200 00000000"
                                             "03000000 00000000 03000000 6100 6200 0000 0000"
                                             "01000000 00000000 01000000 0000 0000"
                                             "03000000 00000000 03000000 4300 3a00 0000 0000"
                                             "00000000";

// NetrSessionEnum answer at level 1: client "PC", user "al", 3 open files, 10 s, idle 5 s,
// guest; total 1, resume handle 1.
inline constexpr const char* SessionEnumReply =
    "01000000 01000000 00000200"
    "01000000 04000200 01000000"
    "08000200 0c000200 03000000 0a000000 05000000 01000000"
    "03000000 00000000 03000000 5000 4300 0000 0000"
    "03000000 00000000 03000000 6100 6c00 0000 0000"
    "01000000 10000200 01000000 00000000";

// NetrFileEnum answer at level 3: id 42, read+write, 2 locks, "C:\a" of "al"; total 1, no
// resume handle.
inline constexpr const char* FileEnumReply =
    "03000000 03000000 00000200"
    "01000000 04000200 01000000"
    "2a000000 03000000 02000000 08000200 0c000200"
    "05000000 00000000 05000000 4300 3a00 5c00 6100 0000 0000"
    "03000000 00000000 03000000 6100 6c00 0000 0000"
    "01000000 00000000 00000000";

// SamrGetGroupsForUser answer: groups 513 and 1000, each with attributes 7.
inline constexpr const char* GroupsForUserReply =
    "00000200 02000000 04000200 02000000 01020000 07000000 e8030000 07000000 00000000";

// SamrGetAliasMembership answer: alias 544.
inline constexpr const char* AliasMembershipReply = "01000000 00000200 01000000 20020000 00000000";

} // namespace corvane::smb::test

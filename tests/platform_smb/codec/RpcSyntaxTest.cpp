#include "platform/smb/codec/RpcSyntax.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;
using corvane::smb::test::hex;

TEST(RpcSyntax, SrvsvcSyntaxIsItsUuidInWireOrder) {
    EXPECT_EQ(std::vector<std::uint8_t>(srvsvcSyntax().uuid.begin(), srvsvcSyntax().uuid.end()),
              hex("c8 4f 32 4b 70 16 d3 01 12 78 5a 47 bf 6e e1 88"));
    EXPECT_EQ(srvsvcSyntax().major, 3);
    EXPECT_EQ(srvsvcSyntax().minor, 0);
}

TEST(RpcSyntax, LsarpcSyntaxIsItsUuidInWireOrder) {
    EXPECT_EQ(std::vector<std::uint8_t>(lsarpcSyntax().uuid.begin(), lsarpcSyntax().uuid.end()),
              hex("78 57 34 12 34 12 cd ab ef 00 01 23 45 67 89 ab"));
    EXPECT_EQ(lsarpcSyntax().major, 0);
}

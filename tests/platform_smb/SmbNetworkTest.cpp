#include "platform/smb/SmbNetwork.h"
#include "tests/support/StaticCredentials.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;

// A longer name would wrap the 16-bit length and ask for another account: refused before any
// connection (the logon is never even asked for).
TEST(SmbNetwork, TooLongNameIsRefusedBeforeConnecting) {
    StaticCredentials credentials;
    SmbOptions options;
    options.kerberos = KerberosMode::Off;
    SmbNetwork net(credentials, options);
    Account account;
    const std::u16string name(lsarpc::MaxNameLength + 1, u'a');
    EXPECT_EQ(net.lookupName(u"127.0.0.1", name, account), status::InvalidParameter);
    EXPECT_EQ(net.lookupName(u"", name, account), status::InvalidParameter);
    EXPECT_EQ(credentials.timesAsked(), 0);
    EXPECT_EQ(net.bindCount(u"127.0.0.1"), 0u);
}

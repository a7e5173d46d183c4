#include "platform/smb/RpcPdu.h"
#include "TestBytes.h"
#include "platform/smb/StatusMapping.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;
using corvane::smb::test::hex;

namespace {

// A bind_ack as Samba sends it for srvsvc: secondary address \pipe\srvsvc, context accepted
// with NDR.
const char* const SambaBindAck = "05 00 0c 03 10 00 00 00 44 00 00 00 01 00 00 00"
                                 "b8 10 b8 10 9b aa 00 00 0d 00 5c 70 69 70 65 5c"
                                 "73 72 76 73 76 63 00 00 01 00 00 00 00 00 00 00"
                                 "04 5d 88 8a eb 1c c9 11 9f e8 08 00 2b 10 48 60"
                                 "02 00 00 00";

std::vector<std::uint8_t> responsePdu(std::uint32_t callId, std::uint8_t flags,
                                      const std::vector<std::uint8_t>& stub) {
    std::vector<std::uint8_t> p = hex("05 00 02 00 10 00 00 00 0000 0000 00000000"
                                      "00000000 0000 00 00");
    p[3] = flags;
    const auto len = static_cast<std::uint16_t>(p.size() + stub.size());
    p[8] = static_cast<std::uint8_t>(len);
    p[9] = static_cast<std::uint8_t>(len >> 8);
    for (int i = 0; i < 4; ++i)
        p[12 + i] = static_cast<std::uint8_t>(callId >> (8 * i));
    p.insert(p.end(), stub.begin(), stub.end());
    return p;
}

} // namespace

TEST(RpcPdu, BindForSrvsvcMatchesThePublishedLayout) {
    const auto bind = encodeBind(1, srvsvcSyntax(), 4280, 4280);
    EXPECT_EQ(bind, hex("05 00 0b 03 10 00 00 00 48 00 00 00 01 00 00 00"
                        "b8 10 b8 10 00 00 00 00 01 00 00 00 00 00 01 00"
                        "c8 4f 32 4b 70 16 d3 01 12 78 5a 47 bf 6e e1 88 03 00 00 00"
                        "04 5d 88 8a eb 1c c9 11 9f e8 08 00 2b 10 48 60 02 00 00 00"));
}

TEST(RpcPdu, LsarpcSyntaxIsItsUuidInWireOrder) {
    EXPECT_EQ(std::vector<std::uint8_t>(lsarpcSyntax().uuid.begin(), lsarpcSyntax().uuid.end()),
              hex("78 57 34 12 34 12 cd ab ef 00 01 23 45 67 89 ab"));
    EXPECT_EQ(lsarpcSyntax().major, 0);
}

TEST(RpcPdu, BindAckFromSambaIsAccepted) {
    BindResult r;
    ASSERT_EQ(decodeBindReply(hex(SambaBindAck), 1, r), status::Success);
    EXPECT_EQ(r.maxXmitFrag, 4280);
    EXPECT_EQ(r.maxRecvFrag, 4280);
    EXPECT_EQ(r.assocGroupId, 0xaa9bu);
}

TEST(RpcPdu, BindAckForAnotherCallIsAProtocolError) {
    BindResult r;
    EXPECT_EQ(decodeBindReply(hex(SambaBindAck), 2, r), status::RpcProtocolError);
}

TEST(RpcPdu, RejectedContextMeansUnknownInterface) {
    auto ack = hex(SambaBindAck);
    ack[44] = 2; // provider rejection
    ack[46] = 1; // abstract syntax not supported
    BindResult r;
    EXPECT_EQ(decodeBindReply(ack, 1, r), win32::UnknownInterface);
}

TEST(RpcPdu, BindNakGivesItsReason) {
    const auto nak = hex("05 00 0d 03 10 00 00 00 14 00 00 00 01 00 00 00 01 00 00 00");
    BindResult r;
    EXPECT_EQ(decodeBindReply(nak, 1, r), win32::ServerTooBusy);
}

TEST(RpcPdu, EveryTruncationOfABindAckFails) {
    const auto ack = hex(SambaBindAck);
    for (std::size_t n = 0; n < ack.size(); ++n) {
        auto cut = std::vector<std::uint8_t>(ack.begin(), ack.begin() + static_cast<long>(n));
        if (cut.size() >= 10) { // keep the header's length honest, so only the body is short
            cut[8] = static_cast<std::uint8_t>(n);
            cut[9] = 0;
        }
        BindResult r;
        EXPECT_NE(decodeBindReply(cut, 1, r), status::Success) << n;
    }
}

TEST(RpcPdu, HeaderRefusesBigEndianAndOtherVersions) {
    PduHeader h;
    auto ack = hex(SambaBindAck);
    EXPECT_EQ(decodeHeader(ack, h), status::Success);
    ack[4] = 0x00; // big-endian data representation
    EXPECT_EQ(decodeHeader(ack, h), status::RpcProtocolError);
    ack = hex(SambaBindAck);
    ack[0] = 4;
    EXPECT_EQ(decodeHeader(ack, h), status::RpcProtocolError);
    ack = hex(SambaBindAck);
    ack[8] = 15; // shorter than a header
    EXPECT_EQ(decodeHeader(ack, h), status::RpcProtocolError);
}

TEST(RpcPdu, SmallRequestIsOneFragment) {
    const auto stub = hex("01020304");
    const auto frags = encodeRequest(7, 15, stub, 4280);
    ASSERT_EQ(frags.size(), 1u);
    EXPECT_EQ(frags[0], hex("05 00 00 03 10 00 00 00 1c 00 00 00 07 00 00 00"
                            "04 00 00 00 00 00 0f 00 01 02 03 04"));
}

TEST(RpcPdu, LargeRequestIsSplitWithFlagsAndAllocationHints) {
    std::vector<std::uint8_t> stub(5000);
    for (std::size_t i = 0; i < stub.size(); ++i)
        stub[i] = static_cast<std::uint8_t>(i * 7);
    const auto frags = encodeRequest(3, 14, stub, 1432);
    ASSERT_GT(frags.size(), 3u);
    std::vector<std::uint8_t> joined;
    std::size_t remaining = stub.size();
    for (std::size_t i = 0; i < frags.size(); ++i) {
        const auto& f = frags[i];
        PduHeader h;
        ASSERT_EQ(decodeHeader(f, h), status::Success);
        EXPECT_LE(f.size(), 1432u);
        EXPECT_EQ(h.fragLength, f.size());
        EXPECT_EQ(h.callId, 3u);
        EXPECT_EQ(bool(h.flags & pdu::FirstFrag), i == 0);
        EXPECT_EQ(bool(h.flags & pdu::LastFrag), i + 1 == frags.size());
        const std::uint32_t hint = f[16] | f[17] << 8 | f[18] << 16 | f[19] << 24;
        EXPECT_EQ(hint, remaining);
        EXPECT_EQ(f[22], 14);
        if (i + 1 < frags.size()) {
            EXPECT_EQ((f.size() - pdu::RequestHeaderSize) % 8, 0u);
        }
        joined.insert(joined.end(), f.begin() + pdu::RequestHeaderSize, f.end());
        remaining -= f.size() - pdu::RequestHeaderSize;
    }
    EXPECT_EQ(joined, stub);
}

TEST(ResponseAssembler, JoinsFragmentsInOrder) {
    ResponseAssembler a(5);
    EXPECT_EQ(a.add(responsePdu(5, pdu::FirstFrag, hex("0102"))), status::Success);
    EXPECT_FALSE(a.complete());
    EXPECT_EQ(a.add(responsePdu(5, 0, hex("03"))), status::Success);
    EXPECT_EQ(a.add(responsePdu(5, pdu::LastFrag, hex("0405"))), status::Success);
    EXPECT_TRUE(a.complete());
    EXPECT_EQ(a.stub(), hex("0102030405"));
}

TEST(ResponseAssembler, RefusesOutOfOrderForeignAndExtraFragments) {
    {
        ResponseAssembler a(5);
        EXPECT_EQ(a.add(responsePdu(5, 0, hex("01"))), status::RpcProtocolError); // no first
    }
    {
        ResponseAssembler a(5);
        EXPECT_EQ(a.add(responsePdu(6, 3, hex("01"))), status::RpcProtocolError); // other call
    }
    {
        ResponseAssembler a(5);
        EXPECT_EQ(a.add(responsePdu(5, pdu::FirstFrag, hex("01"))), status::Success);
        EXPECT_EQ(a.add(responsePdu(5, pdu::FirstFrag, hex("01"))), status::RpcProtocolError);
    }
    {
        ResponseAssembler a(5);
        EXPECT_EQ(a.add(responsePdu(5, 3, hex("01"))), status::Success);
        EXPECT_EQ(a.add(responsePdu(5, 3, hex("01"))), status::RpcProtocolError); // after last
    }
    {
        ResponseAssembler a(5);
        auto p = responsePdu(5, 3, hex("0102"));
        p.pop_back(); // length field says one byte more
        EXPECT_EQ(a.add(p), status::RpcProtocolError);
    }
}

TEST(ResponseAssembler, FaultGivesItsMappedStatus) {
    ResponseAssembler a(9);
    const auto fault = hex("05 00 03 03 10 00 00 00 20 00 00 00 09 00 00 00"
                           "20 00 00 00 00 00 00 00 02 00 01 1c 00 00 00 00");
    EXPECT_EQ(a.add(fault), win32::ProcnumOutOfRange);
    ResponseAssembler b(9);
    auto denied = fault;
    denied[24] = 5;
    denied[25] = denied[26] = denied[27] = 0;
    EXPECT_EQ(b.add(denied), status::AccessDenied);
}

TEST(ResponseAssembler, ReassembledStubIsCappedAtSixteenMebibytes) {
    ResponseAssembler a(9);
    const std::vector<std::uint8_t> chunk(65535 - 24, 0x11);
    std::size_t total = 0;
    ASSERT_EQ(a.add(responsePdu(9, pdu::FirstFrag, chunk)), status::Success);
    total += chunk.size();
    while (total + chunk.size() <= (16u << 20)) {
        ASSERT_EQ(a.add(responsePdu(9, 0, chunk)), status::Success);
        total += chunk.size();
    }
    EXPECT_EQ(a.add(responsePdu(9, 0, chunk)), status::RpcProtocolError);
    EXPECT_FALSE(a.complete());
}

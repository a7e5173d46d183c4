#include "platform/smb/RpcClient.h"
#include "TestBytes.h"
#include "platform/ByteOrder.h"
#include "platform/smb/LsaPolicy.h"
#include "platform/smb/StatusMapping.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

using namespace corvane;
using namespace corvane::smb;
using corvane::smb::test::hex;

namespace {

// The server end of a pipe: answers binds and requests the way a DCE/RPC server does, with
// failures injected by the test.
struct Peer {
    int opens = 0;
    int closes = 0;
    int binds = 0;
    std::vector<std::uint16_t> opnums;
    std::vector<std::vector<std::uint8_t>> stubs;
    std::vector<std::size_t> fragmentsPerRequest;
    std::function<std::vector<std::uint8_t>(std::uint16_t, const std::vector<std::uint8_t>&)>
        answer = [](std::uint16_t, const std::vector<std::uint8_t>& stub) { return stub; };
    std::size_t responseFragment = 4280;
    std::uint16_t maxRecv = 4280;
    std::optional<Status> failNextOpen, failNextWrite, failNextRead;
    // The write that fails: after this many more writes succeed.
    int writesBeforeFailure = 0;
    bool failuresAreTimeouts = false;
    bool failedWriteSentNothing = false;
    std::vector<Deadline> deadlines;
    std::optional<std::uint32_t> faultNext;
    bool garbageNext = false;
    bool nakNextBind = false;

    std::deque<std::uint8_t> outgoing;
    std::vector<std::uint8_t> pendingStub;
    std::size_t pendingFragments = 0;
    bool lastFailureTimeout = false;

    void send(const std::vector<std::uint8_t>& pdu) {
        outgoing.insert(outgoing.end(), pdu.begin(), pdu.end());
    }

    static std::vector<std::uint8_t> header(std::uint8_t type, std::uint8_t flags,
                                            std::uint32_t callId, std::size_t length) {
        std::vector<std::uint8_t> h = hex("05 00 00 00 10 00 00 00 0000 0000 00000000");
        h[2] = type;
        h[3] = flags;
        putLe16(h.data() + 8, static_cast<std::uint16_t>(length));
        putLe32(h.data() + 12, callId);
        return h;
    }

    void onPdu(const std::vector<std::uint8_t>& p) {
        const std::uint32_t callId = getLe32(p.data() + 12);
        if (p[2] == pdu::Bind) {
            if (nakNextBind) {
                nakNextBind = false;
                auto nak = header(pdu::BindNak, 3, callId, 20);
                nak.insert(nak.end(), {0x02, 0, 0, 0});
                send(nak);
                return;
            }
            ++binds;
            auto ack = hex("05 00 0c 03 10 00 00 00 44 00 00 00 01 00 00 00"
                           "b8 10 b8 10 9b aa 00 00 0d 00 5c 70 69 70 65 5c"
                           "73 72 76 73 76 63 00 00 01 00 00 00 00 00 00 00"
                           "04 5d 88 8a eb 1c c9 11 9f e8 08 00 2b 10 48 60"
                           "02 00 00 00");
            putLe32(ack.data() + 12, callId);
            putLe16(ack.data() + 18, maxRecv);
            send(ack);
            return;
        }
        ASSERT_EQ(p[2], pdu::Request);
        EXPECT_LE(p.size(), maxRecv);
        if (p[3] & pdu::FirstFrag) {
            pendingStub.clear();
            pendingFragments = 0;
        }
        ++pendingFragments;
        pendingStub.insert(pendingStub.end(), p.begin() + 24, p.end());
        if (!(p[3] & pdu::LastFrag))
            return;
        const std::uint16_t opnum = getLe16(p.data() + 22);
        opnums.push_back(opnum);
        stubs.push_back(pendingStub);
        fragmentsPerRequest.push_back(pendingFragments);
        if (garbageNext) {
            garbageNext = false;
            send(hex("05 00 02 03 10 00 00 00 18 00 00 00 ff ff ff ff 00 00 00 00 00 00 00 00"));
            return;
        }
        if (faultNext) {
            auto f = header(pdu::Fault, 3, callId, 32);
            auto body = hex("20000000 0000 00 00 00000000 00000000");
            putLe32(body.data() + 8, *faultNext);
            f.insert(f.end(), body.begin(), body.end());
            send(f);
            faultNext.reset();
            return;
        }
        const auto stub = answer(opnum, pendingStub);
        const std::size_t room = responseFragment - 24;
        std::size_t pos = 0;
        do {
            const std::size_t n = std::min(room, stub.size() - pos);
            std::uint8_t flags =
                (pos == 0 ? pdu::FirstFrag : 0) | (pos + n == stub.size() ? pdu::LastFrag : 0);
            auto f = header(pdu::Response, flags, callId, 24 + n);
            f.insert(f.end(), {0, 0, 0, 0, 0, 0, 0, 0});
            f.insert(f.end(), stub.begin() + static_cast<long>(pos),
                     stub.begin() + static_cast<long>(pos + n));
            send(f);
            pos += n;
        } while (pos < stub.size());
    }
};

class ScriptedPipe : public PipeTransport {
public:
    explicit ScriptedPipe(Peer& peer) : m_peer(peer) {}
    Status open() override {
        ++m_peer.opens;
        if (auto s = take(m_peer.failNextOpen))
            return *s;
        m_open = true;
        m_peer.outgoing.clear();
        return status::Success;
    }
    void close() override {
        ++m_peer.closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    Status write(std::span<const std::uint8_t> data) override {
        if (m_peer.failNextWrite && m_peer.writesBeforeFailure-- == 0)
            return *take(m_peer.failNextWrite);
        m_peer.onPdu(std::vector<std::uint8_t>(data.begin(), data.end()));
        return status::Success;
    }
    Status read(std::span<std::uint8_t> data) override {
        if (auto s = take(m_peer.failNextRead))
            return *s;
        if (m_peer.outgoing.size() < data.size())
            return status::BrokenPipe;
        for (auto& b : data) {
            b = m_peer.outgoing.front();
            m_peer.outgoing.pop_front();
        }
        return status::Success;
    }
    void setDeadline(Deadline deadline) override { m_peer.deadlines.push_back(deadline); }
    bool lastFailureWasTimeout() const override { return m_peer.lastFailureTimeout; }
    bool lastWriteSentNothing() const override { return m_peer.failedWriteSentNothing; }

private:
    std::optional<Status> take(std::optional<Status>& failure) {
        if (!failure)
            return std::nullopt;
        auto s = failure;
        failure.reset();
        m_peer.lastFailureTimeout = m_peer.failuresAreTimeouts;
        return s;
    }
    Peer& m_peer;
    bool m_open = false;
};

struct RpcClientTest : ::testing::Test {
    Peer peer;
    std::unique_ptr<RpcClient> client =
        std::make_unique<RpcClient>(std::make_unique<ScriptedPipe>(peer), srvsvcSyntax(), 4280);

    Status call(std::uint16_t opnum, const std::vector<std::uint8_t>& stub,
                std::vector<std::uint8_t>& reply, bool idempotent, bool& retryable) {
        return client->call(opnum, stub, reply, idempotent, retryable);
    }
    Status call(const std::vector<std::uint8_t>& stub, std::vector<std::uint8_t>& reply) {
        bool retryable = false;
        return client->call(15, stub, reply, true, retryable);
    }
};

} // namespace

TEST_F(RpcClientTest, BindsOnceForManyCalls) {
    std::vector<std::uint8_t> reply;
    for (std::uint8_t i = 0; i < 27; ++i) {
        ASSERT_EQ(call({i, 1, 2, 3}, reply), status::Success);
        EXPECT_EQ(reply, (std::vector<std::uint8_t>{i, 1, 2, 3}));
    }
    EXPECT_EQ(peer.opens, 1);
    EXPECT_EQ(peer.binds, 1);
    EXPECT_EQ(client->bindCount(), 1u);
}

TEST_F(RpcClientTest, LargeResponseIsReassembledFromFragments) {
    peer.responseFragment = 1000;
    std::vector<std::uint8_t> big(10000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i);
    peer.answer = [&](std::uint16_t, const std::vector<std::uint8_t>&) { return big; };
    std::vector<std::uint8_t> reply;
    ASSERT_EQ(call({1}, reply), status::Success);
    EXPECT_EQ(reply, big);
}

TEST_F(RpcClientTest, LargeRequestIsSentInFragmentsTheServerTakes) {
    peer.maxRecv = 1432;
    std::vector<std::uint8_t> stub(5000, 0xAB);
    std::vector<std::uint8_t> reply;
    ASSERT_EQ(call(stub, reply), status::Success);
    ASSERT_EQ(peer.stubs.size(), 1u);
    EXPECT_EQ(peer.stubs[0], stub);
    EXPECT_EQ(peer.fragmentsPerRequest[0], 4u);
}

TEST_F(RpcClientTest, BrokenReusedPipeIsRetryableAndRebindsOnNextCall) {
    std::vector<std::uint8_t> reply;
    ASSERT_EQ(call({1}, reply), status::Success);
    peer.failNextWrite = status::NetNameDeleted;
    peer.failedWriteSentNothing = true;
    bool retryable = false;
    EXPECT_EQ(call(18, {2}, reply, false, retryable), status::NetNameDeleted);
    EXPECT_TRUE(retryable); // nothing reached the server
    EXPECT_FALSE(client->isBound());
    EXPECT_EQ(call(18, {2}, reply, false, retryable), status::Success);
    EXPECT_EQ(peer.opens, 2);
    EXPECT_EQ(peer.binds, 2);
    EXPECT_EQ(peer.opnums, (std::vector<std::uint16_t>{15, 18}));
}

TEST_F(RpcClientTest, FailureOnAFreshPipeIsNotRetried) {
    peer.failNextOpen = status::BadNetPath;
    bool retryable = true;
    std::vector<std::uint8_t> reply;
    EXPECT_EQ(call(15, {1}, reply, true, retryable), status::BadNetPath);
    EXPECT_FALSE(retryable);
}

TEST_F(RpcClientTest, LostAnswerIsRetryableOnlyForIdempotentCalls) {
    std::vector<std::uint8_t> reply;
    ASSERT_EQ(call({1}, reply), status::Success);
    bool retryable = false;
    peer.failNextRead = status::NetNameDeleted;
    EXPECT_EQ(call(15, {1}, reply, true, retryable), status::NetNameDeleted);
    EXPECT_TRUE(retryable);

    ASSERT_EQ(call({1}, reply), status::Success);
    peer.failNextRead = status::NetNameDeleted;
    EXPECT_EQ(call(14, {1}, reply, false, retryable), status::NetNameDeleted);
    EXPECT_FALSE(retryable); // the share may have been added: do not add it twice
}

TEST_F(RpcClientTest, TimeoutIsNotRetried) {
    std::vector<std::uint8_t> reply;
    ASSERT_EQ(call({1}, reply), status::Success);
    peer.failuresAreTimeouts = true;
    peer.failNextRead = status::SemaphoreTimeout;
    bool retryable = true;
    EXPECT_EQ(call(15, {1}, reply, true, retryable), status::SemaphoreTimeout);
    EXPECT_FALSE(retryable);
    EXPECT_FALSE(client->isBound());
}

TEST_F(RpcClientTest, FaultIsReportedAndThePipeKept) {
    std::vector<std::uint8_t> reply;
    peer.faultNext = 0x1C010002;
    EXPECT_EQ(call({1}, reply), win32::ProcnumOutOfRange);
    EXPECT_TRUE(client->isBound());
    EXPECT_EQ(call({1}, reply), status::Success);
    EXPECT_EQ(peer.binds, 1);
}

TEST_F(RpcClientTest, MalformedAnswerDropsThePipe) {
    std::vector<std::uint8_t> reply;
    peer.garbageNext = true;
    bool retryable = true;
    EXPECT_EQ(call(15, {1}, reply, true, retryable), status::RpcProtocolError);
    EXPECT_FALSE(retryable);
    EXPECT_FALSE(client->isBound());
    EXPECT_EQ(call({1}, reply), status::Success);
    EXPECT_EQ(peer.binds, 2);
}

TEST_F(RpcClientTest, BindNakFailsTheCall) {
    peer.nakNextBind = true;
    std::vector<std::uint8_t> reply;
    EXPECT_EQ(call({1}, reply), win32::ServerTooBusy);
    EXPECT_FALSE(client->isBound());
    EXPECT_EQ(peer.closes, 1);
}

namespace {

struct WriteFailureRow {
    const char* name;
    int failingFragment; // of three
    bool sentNothing;
    bool idempotent;
    bool timeout;
    bool retryable;
};

class RpcClientWriteFailureTest : public RpcClientTest,
                                  public ::testing::WithParamInterface<WriteFailureRow> {};

} // namespace

// A request broken off while being sent is sent again only when the server cannot have
// acted on it: an add or delete whose last fragment arrived must not run twice.
TEST_P(RpcClientWriteFailureTest, RetriesOnlyWhenTheServerCannotHaveActed) {
    const auto& row = GetParam();
    peer.maxRecv = 1432;
    std::vector<std::uint8_t> reply;
    ASSERT_EQ(call({1}, reply), status::Success);
    peer.failNextWrite = status::NetNameDeleted;
    peer.writesBeforeFailure = row.failingFragment;
    peer.failedWriteSentNothing = row.sentNothing;
    peer.failuresAreTimeouts = row.timeout;
    bool retryable = !row.retryable;
    const std::vector<std::uint8_t> stub(3000, 0x5A); // three fragments
    EXPECT_EQ(call(14, stub, reply, row.idempotent, retryable), status::NetNameDeleted);
    EXPECT_EQ(retryable, row.retryable);
    EXPECT_FALSE(client->isBound());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RpcClientWriteFailureTest,
    ::testing::Values(WriteFailureRow{"FirstNothingSent", 0, true, false, false, true},
                      WriteFailureRow{"FirstNothingSentIdempotent", 0, true, true, false, true},
                      WriteFailureRow{"FirstPartlySent", 0, false, false, false, false},
                      WriteFailureRow{"FirstPartlySentIdempotent", 0, false, true, false, true},
                      WriteFailureRow{"LastFragment", 2, false, false, false, false},
                      WriteFailureRow{"LastFragmentNothingSent", 2, true, false, false, false},
                      WriteFailureRow{"MiddleFragmentIdempotent", 1, false, true, false, true},
                      WriteFailureRow{"Timeout", 0, true, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RpcClientTest, OneDeadlineCoversOpenBindAndRequest) {
    client = std::make_unique<RpcClient>(std::make_unique<ScriptedPipe>(peer), srvsvcSyntax(), 4280,
                                         std::chrono::milliseconds(7000));
    peer.responseFragment = 1000;
    peer.answer = [](std::uint16_t, const std::vector<std::uint8_t>&) {
        return std::vector<std::uint8_t>(5000, 1); // several fragments to read
    };
    std::vector<std::uint8_t> reply;
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(call({1}, reply), status::Success);
    const auto after = std::chrono::steady_clock::now();
    // Set once, before the pipe is opened, and not restarted by the bind or any fragment.
    ASSERT_EQ(peer.deadlines.size(), 1u);
    EXPECT_GE(peer.deadlines[0], before + std::chrono::milliseconds(7000));
    EXPECT_LE(peer.deadlines[0], after + std::chrono::milliseconds(7000));
    ASSERT_EQ(call({1}, reply), status::Success);
    EXPECT_EQ(peer.deadlines.size(), 2u); // each call has its own
}

// A server that forgot the policy handle (closed it, or restarted behind the connection) says
// so in the lookup's status; the lookup then gets a new handle and runs once more.
TEST_F(RpcClientTest, StalePolicyHandleIsReopenedOnce) {
    int opened = 0;
    int refusals = 1;
    std::vector<std::uint8_t> lastHandle;
    peer.answer = [&](std::uint16_t opnum, const std::vector<std::uint8_t>& stub) {
        if (opnum == lsarpc::OpOpenPolicy2) {
            std::vector<std::uint8_t> r(24, 0);
            r[4] = static_cast<std::uint8_t>(++opened);
            return r;
        }
        lastHandle.assign(stub.begin(), stub.begin() + 20);
        std::vector<std::uint8_t> r = {0xAA, 0, 0, 0, 0, 0, 0, 0};
        if (refusals > 0 && refusals-- > 0)
            putLe32(r.data() + 4, 0xC0000008);
        return r;
    };
    LsaPolicyCache cache;
    const LsaStub stub = [](const lsarpc::PolicyHandle& h) {
        return std::vector<std::uint8_t>(h.begin(), h.end());
    };
    std::vector<std::uint8_t> reply;
    // First lookup: the new handle is refused once, a second one works.
    ASSERT_EQ(lsaPolicyCall(*client, cache, u"\\\\srv", lsarpc::OpLookupNames, stub, reply),
              status::Success);
    EXPECT_EQ(getLe32(reply.data() + 4), 0u);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(lastHandle[4], 2);
    // The working handle is kept for the next lookup.
    ASSERT_EQ(lsaPolicyCall(*client, cache, u"\\\\srv", lsarpc::OpLookupNames, stub, reply),
              status::Success);
    EXPECT_EQ(opened, 2);
    // Refused again and again: one new handle, then the refusal is the caller's to see.
    refusals = 5;
    ASSERT_EQ(lsaPolicyCall(*client, cache, u"\\\\srv", lsarpc::OpLookupNames, stub, reply),
              status::Success);
    EXPECT_EQ(getLe32(reply.data() + 4), 0xC0000008u);
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(peer.binds, 1);
}

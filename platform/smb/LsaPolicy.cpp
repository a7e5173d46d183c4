#include "LsaPolicy.h"

#include "codec/StatusMapping.h"
#include "platform/ByteOrder.h"

namespace corvane::smb {

namespace {

constexpr std::uint32_t StatusInvalidHandle = 0xC0000008;

Status attempt(RpcChannel& rpc, LsaPolicyCache& cache, const std::u16string& system,
               std::uint16_t opnum, const LsaStub& makeStub, std::vector<std::uint8_t>& reply,
               bool& retryable) {
    retryable = false;
    if (Status b = rpc.ensureBound(); b != status::Success)
        return b;
    // A handle belongs to the pipe it was opened on.
    if (!cache.handle || cache.bind != rpc.bindCount()) {
        cache.handle.reset();
        std::vector<std::uint8_t> openReply;
        if (Status c = rpc.call(lsarpc::OpOpenPolicy2,
                                lsarpc::encodeOpenPolicy2(system, lsarpc::PolicyLookupNames),
                                openReply, true, retryable);
            c != status::Success)
            return c;
        lsarpc::PolicyHandle handle{};
        std::uint32_t nt = 0;
        if (Status d = lsarpc::decodeOpenPolicy2(openReply, handle, nt); d != status::Success)
            return d;
        if (nt != 0)
            return statusFromNtStatus(nt);
        cache.handle = handle;
        cache.bind = rpc.bindCount();
    }
    return rpc.call(opnum, makeStub(*cache.handle), reply, true, retryable);
}

Status withRetry(RpcChannel& rpc, LsaPolicyCache& cache, const std::u16string& system,
                 std::uint16_t opnum, const LsaStub& makeStub, std::vector<std::uint8_t>& reply) {
    bool retryable = false;
    Status s = attempt(rpc, cache, system, opnum, makeStub, reply, retryable);
    if (s != status::Success && retryable)
        s = attempt(rpc, cache, system, opnum, makeStub, reply, retryable);
    return s;
}

// Every LSA call returns its NTSTATUS last.
bool handleRefused(const std::vector<std::uint8_t>& reply) {
    return reply.size() >= 4 && getLe32(reply.data() + reply.size() - 4) == StatusInvalidHandle;
}

} // namespace

Status lsaPolicyCall(RpcChannel& rpc, LsaPolicyCache& cache, const std::u16string& system,
                     std::uint16_t opnum, const LsaStub& makeStub,
                     std::vector<std::uint8_t>& reply) {
    Status s = withRetry(rpc, cache, system, opnum, makeStub, reply);
    if (s == status::Success && handleRefused(reply)) {
        cache.handle.reset();
        s = withRetry(rpc, cache, system, opnum, makeStub, reply);
    }
    return s;
}

} // namespace corvane::smb

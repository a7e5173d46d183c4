#pragma once

#include "RpcChannel.h"
#include "codec/LsarpcCodec.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane::smb {

// The policy handle kept for one server's lsarpc pipe, opened on first use.
struct LsaPolicyCache {
    std::optional<lsarpc::PolicyHandle> handle;
    std::uint32_t bind = 0; // the bind the handle belongs to
};

using LsaStub = std::function<std::vector<std::uint8_t>(const lsarpc::PolicyHandle&)>;

// One call that takes the policy handle: opens the policy when there is none for the current
// bind, retries once over a fresh pipe where the client says it may, and once with a new
// handle when the server calls the cached one invalid (it may have closed it, or restarted
// behind the same connection).
Status lsaPolicyCall(RpcChannel& rpc, LsaPolicyCache& cache, const std::u16string& system,
                     std::uint16_t opnum, const LsaStub& makeStub,
                     std::vector<std::uint8_t>& reply);

} // namespace corvane::smb

// One requester of an arbiter, and the arbiter's two enumerations.
#pragma once

#include <cstdint>
#include <string>

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

// How an arbiter treats requesting leaves of equal priority.
enum class ArbSamePriPolicy : uint8_t {
    AckOne = 0,  // the lowest index wins
    AckAll = 1,  // all of them are granted
    NotAck = 2,  // none is granted while another one requests
};
inline constexpr size_t ARB_SAME_PRI_POLICY_COUNT = 3;

// The channel of a leaf that is tied to the constant 1.
enum class ArbLockedChannel : uint8_t { Req = 0, Ack = 1 };
inline constexpr size_t ARB_LOCKED_CHANNEL_COUNT = 2;

std::string debug_repr(ArbSamePriPolicy p);
std::string debug_repr(ArbLockedChannel c);

// Whether, among requesting leaves of equal priority, leaf j's request keeps
// leaf i's acknowledge low.
bool same_priority_masks(ArbSamePriPolicy policy, size_t i, size_t j);

struct ArbLeaf {
    HcpIdent req;          // 1-bit wire, or the constant 1 when locked on Req
    HcpIdent ack;          // 1-bit wire, or the constant 1 when locked on Ack
    int32_t priority = 0;  // greater is higher
    // Set for a leaf locked on Ack: its acknowledge is no output of the arbiter.
    bool ack_locked = false;
};

}  // namespace vorlent

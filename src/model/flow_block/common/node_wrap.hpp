// What a built block shows to its parent: entry nodes, exit node, latency.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

// The latency of a block whose number of cycles is not fixed.
inline constexpr int32_t IN_CONSIST_CYCLE_USED = -1;

class NodeWrap {
public:
    // Stops with "assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0"
    // for a cycle below -1.
    NodeWrap(std::vector<NcpIdent> samples, std::optional<NcpIdent> exit, int32_t cycle);

    const std::vector<NcpIdent>& samples() const { return samples_; }
    bool has_exit() const { return exit_.has_value(); }
    // Stops with "NodeWrap exit node is not set" when there is none.
    const NcpIdent& exit() const;
    int32_t cycle() const { return cycle_; }

private:
    std::vector<NcpIdent> samples_;
    std::optional<NcpIdent> exit_;
    int32_t cycle_;
};

// The sum of a list of latencies, or -1 as soon as one is -1. An empty list is
// the fatal error "assertion failed: !self.samples.is_empty()".
int32_t sum_cycles(const std::vector<int32_t>& cycles);
// -1 when the first value is -1; else the first value when all are equal;
// else -1. Same refusal of an empty list.
int32_t uniform_cycles(const std::vector<int32_t>& cycles);

}  // namespace vorlent

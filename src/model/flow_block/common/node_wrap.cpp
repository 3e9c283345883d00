#include "model/flow_block/common/node_wrap.hpp"

#include "common/fatal.hpp"

namespace vorlent {

NodeWrap::NodeWrap(std::vector<NcpIdent> samples, std::optional<NcpIdent> exit, int32_t cycle)
    : samples_(std::move(samples)), exit_(std::move(exit)), cycle_(cycle) {
    if (cycle < IN_CONSIST_CYCLE_USED)
        fatal("assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
}

const NcpIdent& NodeWrap::exit() const {
    if (!exit_) fatal("NodeWrap exit node is not set");
    return *exit_;
}

namespace {
void require_some(const std::vector<int32_t>& cycles) {
    if (cycles.empty()) fatal("assertion failed: !self.samples.is_empty()");
}
}  // namespace

int32_t sum_cycles(const std::vector<int32_t>& cycles) {
    require_some(cycles);
    int64_t sum = 0;
    for (int32_t c : cycles) {
        if (c == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
        sum += c;
    }
    // A latency too large for 32 bits is not a fixed latency a parent can use.
    return sum > INT32_MAX ? IN_CONSIST_CYCLE_USED : int32_t(sum);
}

int32_t uniform_cycles(const std::vector<int32_t>& cycles) {
    require_some(cycles);
    const int32_t first = cycles.front();
    if (first == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
    for (int32_t c : cycles)
        if (c != first) return IN_CONSIST_CYCLE_USED;
    return first;
}

}  // namespace vorlent

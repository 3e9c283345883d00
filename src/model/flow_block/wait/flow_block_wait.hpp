// The wait block: wait for a condition or for a number of cycles.
#pragma once

#include <optional>
#include <variant>

#include "model/flow_block/common/flow_block.hpp"
#include "model/hw_component/common/slice.hpp"

namespace vorlent {

// scwait: wait until bits [cond_slice) of cond_i are true.
struct WaitCondTarget {
    HcpIdent cond_i;
    Slice cond_slice;
};
// sywait: wait a fixed number of cycles.
struct WaitCycleTarget {
    uint32_t cycle = 0;
};

// A wait block holds the flow of its parent; it has no body.
class FlowBlockWait final : public FlowBlockRecord {
public:
    std::variant<WaitCondTarget, WaitCycleTarget> target;

    static FlowBlockWait make_cond(std::string_view name, HcpIdent cond, Slice cond_slice);
    static FlowBlockWait make_cycle(std::string_view name, uint32_t cycle);
    static FlowBlockWait arena_default() { return block_of<FlowBlockWait>(FlowBlockType::Wait); }

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
    std::string_view not_built_text() const override { return "wait block has not been built"; }
};

}  // namespace vorlent

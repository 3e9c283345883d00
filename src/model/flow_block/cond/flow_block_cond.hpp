// The conditional blocks: the head of a chain (cif, sif) and its elif
// continuations.
#pragma once

#include <optional>

#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

struct CondSchematic {
    HcpIdent cond;          // the 1-bit condition, its slice already resolved
    bool is_state = false;  // sif: the condition is tested in a state node
};

// The head of a conditional chain (cif, sif): one body, then elif and else
// continuations; exactly one branch runs.
class FlowBlockCond final : public FlowBlockRecord {
public:
    CondSchematic schematic;
    std::optional<NodeWrap> built;

    static FlowBlockCond make(std::string_view name, HcpIdent cond, bool is_state);
    static FlowBlockCond arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override { base.push_con_block(block); }
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

// An elif (with a condition) or else (without) continuation of a chain.
class FlowBlockCondElif final : public FlowBlockRecord {
public:
    OptIdent<HcpIdent> cond;
    std::optional<NodeWrap> built;

    static FlowBlockCondElif make(std::string_view name, std::optional<HcpIdent> cond);
    static FlowBlockCondElif arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    // Stores its body's summary; the continuation makes no node of its own.
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

}  // namespace vorlent

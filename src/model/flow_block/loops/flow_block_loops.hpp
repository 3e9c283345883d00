// The loop blocks: while (condition tested in a pseudo or a state node),
// do-while (tested when the body ends) and the counter loop.
#pragma once

#include <optional>

#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

// cwhile and swhile.
class FlowBlockWhile final : public FlowBlockRecord {
public:
    HcpIdent cond_i;
    bool use_state_node = false;  // swhile
    std::optional<NodeWrap> built;

    static FlowBlockWhile make(std::string_view name, HcpIdent cond, bool use_state_node);
    static FlowBlockWhile arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

class FlowBlockDoWhile final : public FlowBlockRecord {
public:
    HcpIdent cond_i;
    std::optional<NodeWrap> built;

    static FlowBlockDoWhile make(std::string_view name, HcpIdent cond);
    static FlowBlockDoWhile arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

// Runs its body last_loop_cnt times in a row.
class FlowBlockCounterLoop final : public FlowBlockRecord {
public:
    OptIdent<HcpIdent> loop_id_expr_i;  // the loop's counter register, once built
    int32_t last_loop_cnt = 0;
    std::optional<NodeWrap> built;

    // A count of 0 or less stops with "counter loop count must be positive".
    static FlowBlockCounterLoop make(std::string_view name, int32_t last_loop_cnt);
    static FlowBlockCounterLoop arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    HcpIdent get_loop_id_expr_i() const override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

}  // namespace vorlent

// The loop blocks: while (condition tested in a pseudo or a state node),
// do-while (tested when the body ends) and the counter loop.
#pragma once

#include "model/flow_block/common/single_body_block.hpp"

namespace vorlent {

// cwhile and swhile.
class FlowBlockWhile final : public SingleBodyBlock {
public:
    HcpIdent cond_i;
    bool use_state_node = false;  // swhile

    static FlowBlockWhile make(std::string_view name, HcpIdent cond, bool use_state_node);
    static FlowBlockWhile arena_default() {
        return block_of<FlowBlockWhile>(FlowBlockType::WhileLoop);
    }

    void build_hw_component(ModelArena& model) override;

private:
    using SingleBodyBlock::SingleBodyBlock;
};

class FlowBlockDoWhile final : public SingleBodyBlock {
public:
    HcpIdent cond_i;

    static FlowBlockDoWhile make(std::string_view name, HcpIdent cond);
    static FlowBlockDoWhile arena_default() {
        return block_of<FlowBlockDoWhile>(FlowBlockType::DoWhile);
    }

    void build_hw_component(ModelArena& model) override;

private:
    using SingleBodyBlock::SingleBodyBlock;
};

// Runs its body last_loop_cnt times in a row.
class FlowBlockCounterLoop final : public SingleBodyBlock {
public:
    OptIdent<HcpIdent> loop_id_expr_i;  // the loop's counter register, once built
    int32_t last_loop_cnt = 0;

    // A count of 0 or less stops with "counter loop count must be positive".
    static FlowBlockCounterLoop make(std::string_view name, int32_t last_loop_cnt);
    static FlowBlockCounterLoop arena_default() {
        return block_of<FlowBlockCounterLoop>(FlowBlockType::CounterLoop);
    }

    HcpIdent get_loop_id_expr_i() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using SingleBodyBlock::SingleBodyBlock;
};

}  // namespace vorlent

// The zero-delay conditionals: they choose between assignments without a
// cycle and fold all their branches into one assignment node.
#pragma once

#include <optional>

#include "model/flow_block/common/flow_block.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"

namespace vorlent {

// What zif, zelif/zelse and zcase share: they hold assignments and
// zero-delay children, and their build gathers the assignments.
class ZeroDelayBody : public FlowBlockRecord {
public:
    std::vector<AssignMeta> metas;  // its own assignments, gathered by the build

    void add_element_in_flow_block(const NcpIdent& node) override { base.push_basic_node(node); }

protected:
    using FlowBlockRecord::FlowBlockRecord;
    // Appends a child; one that is not zero-delay stops with `not_zero_delay`.
    void push_zero_delay_child(const FlowBlockIdent& block, std::string_view not_zero_delay);
};

// zif: the head of a zero-delay if chain.
class FlowBlockZeroCondIf final : public ZeroDelayBody {
public:
    HcpIdent cond;
    OptIdent<NcpIdent> result;  // the folded assignment node

    static FlowBlockZeroCondIf make(std::string_view name, HcpIdent cond);
    static FlowBlockZeroCondIf arena_default() {
        return block_of<FlowBlockZeroCondIf>(FlowBlockType::ZeroCondIf);
    }

    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override;
    NcpIdent summarize_as_node() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using ZeroDelayBody::ZeroDelayBody;
};

// zelif (with a condition) or zelse (without).
class FlowBlockZeroCondElif final : public ZeroDelayBody {
public:
    OptIdent<HcpIdent> cond;

    static FlowBlockZeroCondElif make(std::string_view name, std::optional<HcpIdent> cond);
    static FlowBlockZeroCondElif arena_default() {
        return block_of<FlowBlockZeroCondElif>(FlowBlockType::ZeroCondElif);
    }

    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override;
    void build_hw_component(ModelArena& model) override;

private:
    using ZeroDelayBody::ZeroDelayBody;
};

// zstate: a zero-delay switch on a selector, holding zcase blocks.
class FlowBlockZeroSwitch final : public FlowBlockRecord {
public:
    HcpIdent selector;
    OptIdent<NcpIdent> result;  // the folded assignment node

    static FlowBlockZeroSwitch make(std::string_view name, HcpIdent selector);
    static FlowBlockZeroSwitch arena_default() {
        return block_of<FlowBlockZeroSwitch>(FlowBlockType::ZeroSwitch);
    }

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override;
    NcpIdent summarize_as_node() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

// zcase: one case of a zero-delay switch.
class FlowBlockZeroSwitchCase final : public ZeroDelayBody {
public:
    int32_t match_val = 0;

    static FlowBlockZeroSwitchCase make(std::string_view name, int32_t match_val);
    static FlowBlockZeroSwitchCase arena_default() {
        return block_of<FlowBlockZeroSwitchCase>(FlowBlockType::ZeroSwitchCase);
    }

    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override;
    void build_hw_component(ModelArena& model) override;

private:
    using ZeroDelayBody::ZeroDelayBody;
};

// A zcase just opened inside a zstate (on top of the flow-block stack, the
// zstate right below it): its value and the selector it is compared with.
struct OpenedZcase {
    int32_t match_val;
    HcpIdent selector;
};
std::optional<OpenedZcase> zcase_opened_in_zstate(const ModelArena& model,
                                                  const FlowBlockIdent& block);

}  // namespace vorlent

// The pick block and its branches (pif, pidef).
#pragma once

#include <optional>

#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

// A pick block: every pif branch whose condition holds starts; the pidef
// branch starts when none holds. Its exit is the first branch exit.
class FlowBlockPick final : public FlowBlockRecord {
public:
    std::optional<NodeWrap> built;

    static FlowBlockPick make(std::string_view name);
    static FlowBlockPick arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    void add_con_flow_block(const FlowBlockIdent& block) override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

// A pick branch: pif (with its own condition) or pidef (the default, without).
class FlowBlockPickIf final : public FlowBlockRecord {
public:
    OptIdent<HcpIdent> cond;
    std::optional<NodeWrap> built;

    static FlowBlockPickIf make(std::string_view name, std::optional<HcpIdent> cond);
    static FlowBlockPickIf arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    // Stores its body's summary; the branch makes no node of its own.
    void build_hw_component(ModelArena& model) override;

private:
    using FlowBlockRecord::FlowBlockRecord;
};

}  // namespace vorlent

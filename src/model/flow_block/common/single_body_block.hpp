// The blocks whose contents are one nested block, their body: the
// conditional heads and branches, the loops and the pipeline. They share the
// checks; each kind has its own texts for them.
#pragma once

#include <optional>
#include <string_view>

#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

class SingleBodyBlock : public FlowBlockRecord {
public:
    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    CheckResult check_prefinalize() const override;

protected:
    using FlowBlockRecord::FlowBlockRecord;

    std::string_view not_built_text() const override;
};

// A branch of a chain or of a pick (elif/else, pif/pidef): an optional
// condition, and its body's summary as its own; it makes no node.
class SingleBodyBranch : public SingleBodyBlock {
public:
    OptIdent<HcpIdent> cond;

    void build_hw_component(ModelArena& model) override;

protected:
    using SingleBodyBlock::SingleBodyBlock;
};

// A branch kind of type `Type`; `make` names it and gives it its condition
// (none for an else or a default).
template <FlowBlockType Type>
class BranchBlock final : public SingleBodyBranch {
public:
    static BranchBlock make(std::string_view name, std::optional<HcpIdent> cond) {
        BranchBlock b = block_of<BranchBlock>(Type, name);
        b.cond = std::move(cond);
        return b;
    }
    static BranchBlock arena_default() { return block_of<BranchBlock>(Type); }

private:
    using SingleBodyBranch::SingleBodyBranch;
};

}  // namespace vorlent

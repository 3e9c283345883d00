// The blocks whose contents are one nested block, their body: the
// conditional heads and branches, the loops and the pipeline. They share the
// checks; each kind has its own texts for them.
#pragma once

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
    // Stores the body's summary as the block's own, for a branch that makes
    // no node of its own; without a body it stops with `no_body`.
    void adopt_body_summary(ModelArena& model, std::string_view no_body);
};

}  // namespace vorlent

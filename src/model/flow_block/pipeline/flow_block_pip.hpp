// The pipeline block.
#pragma once

#include <optional>

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

// A pipeline block serves an arbiter's requests with its body, forever.
class FlowBlockPip final : public FlowBlockRecord {
public:
    std::optional<NodeWrap> built;
    CcpIdent arb_i;
    bool auto_restart = false;

    // Stops with the equality assertion "PipSchematic::new: ccp must be an Arb"
    // when arb_i is not an arbiter.
    static FlowBlockPip make(std::string_view name, const CcpIdent& arb_i, bool auto_restart);
    static FlowBlockPip arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    NodeWrap summarize_as_block() const override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;
    // Adds the arbiter's hold and reset (and, with auto restart, the reset as
    // a start source).
    void prepare_build(ModelArena& model) override;

private:
    FlowBlockPip(CcpIdent arb, FlowBlockBase b) : FlowBlockRecord(std::move(b)), arb_i(std::move(arb)) {}
};

}  // namespace vorlent

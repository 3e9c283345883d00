// The pipeline block.
#pragma once

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/single_body_block.hpp"

namespace vorlent {

// A pipeline block serves an arbiter's requests with its body, forever.
class FlowBlockPip final : public SingleBodyBlock {
public:
    CcpIdent arb_i;
    bool auto_restart = false;

    // Stops with the equality assertion "PipSchematic::new: ccp must be an Arb"
    // when arb_i is not an arbiter.
    static FlowBlockPip make(std::string_view name, const CcpIdent& arb_i, bool auto_restart);
    static FlowBlockPip arena_default();

    void build_hw_component(ModelArena& model) override;
    // Adds the arbiter's hold and reset (and, with auto restart, the reset as
    // a start source).
    void prepare_build(ModelArena& model) override;

    // The arbiter the build reads, which build_flow must build too.
    template <class F>
    void for_each_bound_ccp(F&& f) const {
        f(arb_i);
    }

private:
    FlowBlockPip(CcpIdent arb, FlowBlockBase b)
        : SingleBodyBlock(std::move(b)), arb_i(std::move(arb)) {}
};

}  // namespace vorlent

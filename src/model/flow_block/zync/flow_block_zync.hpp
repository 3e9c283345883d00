// The zync block and the arbiters it contends on.
#pragma once

#include <optional>
#include <vector>

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block.hpp"

namespace vorlent {

// One arbiter a zync block contends on: the leaf it registered there and an
// optional condition.
struct ZyncArbBind {
    OptIdent<HcpIdent> cond_i;
    CcpIdent arb_i;
    uint32_t channel = 0;
};

// A zync block makes its assignments, as one node, in the cycle its grant holds.
class FlowBlockZync final : public FlowBlockRecord {
public:
    std::vector<ZyncArbBind> binds;
    bool match_all = false;

    // An empty bind list stops with "ZyncSchematic::new: at least one arb bind required".
    static FlowBlockZync make(std::string_view name, std::vector<ZyncArbBind> binds,
                              bool match_all);
    static FlowBlockZync arena_default();

    void add_element_in_flow_block(const NcpIdent& node) override { base.push_basic_node(node); }
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    CheckResult check_prefinalize() const override;
    void build_hw_component(ModelArena& model) override;

    // The arbiters the build reads, each of which build_flow must build too.
    template <class F>
    void for_each_bound_ccp(F&& f) const {
        for (const ZyncArbBind& bind : binds) f(bind.arb_i);
    }

private:
    using FlowBlockRecord::FlowBlockRecord;
    std::string_view not_built_text() const override { return "zync block has not been built"; }
};

}  // namespace vorlent

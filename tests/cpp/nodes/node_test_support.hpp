// The control wires with operand nodes standing for each, as the flow-block
// builders hand them to the nodes they make.
#pragma once

#include "../hw_component/event_view.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent::testing {

struct NodeModel : ControlWires {
    NcpIdent hold = make_opr_node(m, "flow_hold", hold_w);
    NcpIdent rst = make_opr_node(m, "flow_rst", rst_w);
    NcpIdent mrst = make_opr_node(m, "flow_mrst", mrst_w);
    NcpIdent clk = make_opr_node(m, "flow_clk", clk_w);
    NcpIdent p0 = make_opr_node(m, "p0", d0_w);
    NcpIdent p1 = make_opr_node(m, "p1", d1_w);

    NcpNode& node(const NcpIdent& n) { return get_ncp_node_mut(m, n); }

    // Every control input and both edges, set in place.
    void wire_all(const NcpIdent& n) {
        NcpNode& x = node(n);
        x.set_hold_node(hold);
        x.set_int_reset_node(rst);
        x.set_mrst_node(mrst);
        x.set_clk_node(clk);
        x.add_depend_node(p0, std::nullopt);
        x.add_depend_node(p1, g1);
    }
};

// An assignment of `src` into one-bit `des`, as a node would hold it.
inline AssignMeta meta_into(ModelArena& m, const HcpIdent& des, const HcpIdent& src) {
    auto d = take_hcp(m, des);
    AssignMeta meta = d->gen_asm_meta(src, std::nullopt, 0, 1, m);
    d.put_back();
    return meta;
}

// "{name}_{id}" for each name, ids counting up from `first`.
inline std::vector<std::string> named_from(uint64_t first, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const auto& n : names) out.push_back(format("{}_{}", n, first + out.size()));
    return out;
}

}  // namespace vorlent::testing

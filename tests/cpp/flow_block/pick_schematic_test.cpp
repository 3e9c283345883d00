// The pick block: independent pif branches and one default branch.
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct PickDesign : Design {
    HcpIdent r = reg("r"), v = val(1), a = wire("a"), b = wire("b");

    FlowBlockIdent pif(const HcpIdent& cond, int steps = 1) {
        return around(make_flow_block_pif(m, "pi", cond, std::nullopt), r, v, steps);
    }
    FlowBlockIdent pidef(int steps = 1) {
        return around(make_flow_block_pidef(m, "pd"), r, v, steps);
    }
    std::string warning(const FlowBlockIdent& pick) const {
        return format(
            "[vorlent][warn] pick block '{}': exit is NOT auto-synchronized; the matching branch "
            "drives the exit signal\n",
            pick.ident_base.rel_name());
    }
};

}  // namespace

TEST(PickSchematicTest, PifsStartOnTheirOwnConditionsAndTheExitOrsThem) {
    PickDesign d;
    d.describe();
    const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
    const FlowBlockIdent s0 = d.pif(d.a), s1 = d.pif(d.b);
    d.close(pick);
    EXPECT_EQ(d.build_logged(), d.warning(pick));

    const auto [entry, exit] = d.made<2>(pick);
    // Entry (prelim only) and exit; per pif its condition and summary read by
    // two takes, its negation and the running AND; the exit is assigned
    // (AND of its guarded edge, two ORs), then the branch entries.
    EXPECT_DRAWN(
        d.m, entry.global_id() - 1, pick,
        {"EXPR_pseudo_init_expr", "PSEUDO_NODE_pick_entry_#", TAKE, "EXPR_pseudo_init_expr",
         "PSEUDO_NODE_pick_exit_#", TAKE, TAKE, "EXPR_pick_not_#_0", TAKE, TAKE,
         "EXPR_pick_not_#_1", "EXPR_node_logic_expr", TAKE, "EXPR_node_logic_expr",
         "EXPR_node_logic_expr", "EXPR_node_logic_expr", TAKE});

    // When no pif holds the block is left at once.
    const NodeWrap w0 = d.wrap(s0), w1 = d.wrap(s1);
    EXPECT_EQ(d.summary(pick), (Design::Summary{{entry}, exit, -1}));
    EXPECT_EQ(d.edges(w0.samples()[0]), (std::vector<DependEdge>{edge(entry, d.a)}));
    EXPECT_EQ(d.edges(w1.samples()[0]), (std::vector<DependEdge>{edge(entry, d.b)}));
    // The exit: each branch's end, or the entry when no pif holds.
    const auto ex = d.edges(exit);
    EXPECT_EQ(ex, (std::vector<DependEdge>{edge(w0.exit()), edge(w1.exit()),
                                           edge(entry, ex.at(2).guard)}));
    EXPECT_EQ(d.edges(entry), (std::vector<DependEdge>{edge(d.start())}));
}

TEST(PickSchematicTest, BuildRefusalsComeAfterTheWarning) {
    for (bool two_defaults : {false, true}) {
        PickDesign d;
        d.describe();
        const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
        if (two_defaults) {
            d.pidef();
            d.pif(d.a);
            d.pidef();
        }
        d.close(pick);
        const std::string refusal = two_defaults
                                        ? "pick block accepts at most one pidef default branch"
                                        : "pick block must have at least one pif branch";
        EXPECT_EQ(d.build_logged(), d.warning(pick) + "fatal: " + refusal);
    }
}

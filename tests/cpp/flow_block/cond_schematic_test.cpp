// The conditional chain (cif, sif with elif and else continuations) as
// build_flow lowers it.
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct Chain : Design {
    HcpIdent r = reg("r"), v = val(1), a = wire("a"), b = wire("b");

    FlowBlockIdent head(bool sif, const HcpIdent& cond) {
        return open(sif ? make_flow_block_sif(m, "i", cond, std::nullopt)
                        : make_flow_block_cif(m, "i", cond, std::nullopt));
    }
    FlowBlockIdent elif (const HcpIdent& cond) {
        return open(make_flow_block_cselif(m, "ei", cond, std::nullopt));
    }
    FlowBlockIdent els() { return open(make_flow_block_cselse(m, "el")); }
    // A branch: its block with one sequence of `steps` steps inside.
    FlowBlockIdent branch(FlowBlockIdent block, int steps = 1) {
        const FlowBlockIdent body = seq("s", r, v, steps);
        close(block);
        return body;
    }
};

}  // namespace

TEST(CondSchematicTest, CifDrawsItsNodesAndWiresItsOneBranch) {
    Chain d;
    d.describe();
    const FlowBlockIdent cif = d.head(false, d.a);
    const FlowBlockIdent body = d.branch(cif, 2);
    d.build();

    const auto [cond, exit] = d.made<2>(cif);
    // Condition node (prelim only), the body's summary, the negation, the
    // exit (assigned: AND for its guarded edge, OR of its two edges), then
    // the body's entry gets its final phase.
    const uint64_t first = cond.global_id() - 1;
    EXPECT_DRAWN(d.m, first, cif,
                 {"EXPR_pseudo_init_expr", "PSEUDO_NODE_cif_cond_#", TAKE, TAKE,
                  "EXPR_cif_not_cond_#", "EXPR_pseudo_init_expr", "PSEUDO_NODE_cif_exit_#", TAKE,
                  "EXPR_node_logic_expr", "EXPR_node_logic_expr", TAKE});

    // The chain may also be left at once, when the condition does not hold.
    const NodeWrap bw = d.wrap(body);
    EXPECT_EQ(d.summary(cif), (Design::Summary{{cond}, exit, -1}));

    EXPECT_EQ(d.edges(bw.samples()[0]), (std::vector<DependEdge>{edge(cond, d.a)}));
    EXPECT_EQ(d.edges(exit),
              (std::vector<DependEdge>{edge(bw.exit()), edge(cond, d.edges(exit)[1].guard)}));
    // The parent (here the design's start) feeds the entry.
    EXPECT_EQ(d.edges(cond), (std::vector<DependEdge>{edge(d.start())}));
}

TEST(CondSchematicTest, SifSpendsItsConditionStateBeforeTheBranch) {
    Chain d;
    d.describe();
    const FlowBlockIdent sif = d.head(true, d.a);
    const FlowBlockIdent body = d.branch(sif, 2);
    d.branch(d.els(), 2);
    d.build();

    const NcpIdent cond = d.made<2>(sif)[0];
    EXPECT_DRAWN(d.m, cond.global_id() - 3, sif,
                 {"VAL_sif_cond_#_ST_SET", "VAL_sif_cond_#_ST_UNSET", "SR_ST_sif_cond_#_ST",
                  "STATE_NODE_sif_cond_#", TAKE, TAKE, "EXPR_cif_not_cond_#"});
    EXPECT_EQ(d.edges(d.wrap(body).samples()[0]), (std::vector<DependEdge>{edge(cond, d.a)}));
    // Two steps behind one cycle of the condition state.
    EXPECT_EQ(d.wrap(sif).cycle(), 3);
}

TEST(CondSchematicTest, ElifAndElseAreEnabledByTheNegationsBeforeThem) {
    Chain d;
    d.describe();
    const FlowBlockIdent cif = d.head(false, d.a);
    d.branch(cif);
    d.branch(d.elif (d.b));
    d.branch(d.els());
    d.build();

    const NcpIdent cond = d.made<2>(cif)[0];
    // After the head's negation: the elif (its condition and summary read by
    // two takes, its enable, its negation, the new term), the else (two
    // takes, nothing made), then the exit.
    EXPECT_DRAWN(
        d.m, cond.global_id() + 3, cif,
        {"EXPR_cif_not_cond_#", TAKE, TAKE, "EXPR_node_logic_expr", "EXPR_cif_not_elif_#_0",
         "EXPR_node_logic_expr", TAKE, TAKE, "EXPR_pseudo_init_expr", "PSEUDO_NODE_cif_exit_#",
         TAKE, "EXPR_node_logic_expr", "EXPR_node_logic_expr", TAKE});
}

// A branch after the else would run alongside the one chosen before it.
TEST(CondSchematicTest, BuildRefusesABranchAfterTheElse) {
    for (const bool sif : {false, true})
        for (const bool elif_last : {true, false}) {
            Chain d;
            d.describe();
            d.branch(d.head(sif, d.a));
            d.branch(d.els());
            d.branch(elif_last ? d.elif (d.b) : d.els());
            EXPECT_FATAL(d.build(),
                         "cond block 'i': a cselse must be the last branch of its chain");
        }
}

// Zero-delay blocks stand for assignments: they cannot be a branch of a chain.
TEST(CondSchematicTest, BuildRefusesZeroDelayBlocksInAChain) {
    {
        // A zero-delay else is taken as a continuation, but cannot be lowered.
        Chain d;
        d.describe();
        d.branch(d.head(false, d.a));
        const FlowBlockIdent ze = d.open(make_flow_block_zelse(d.m, "z"));
        d.assign(d.r, d.v);
        d.close(ze);
        EXPECT_FATAL(d.build(),
                     "assertion `left == right` failed: cond block con blocks must be CondElif\n"
                     "  left: ZeroCondElif\n right: CondElif");
    }
    Chain d;
    d.describe();
    const FlowBlockIdent cif = d.head(false, d.a);
    const FlowBlockIdent zif = d.open(make_flow_block_zif(d.m, "z", d.b, std::nullopt));
    d.assign(d.r, d.v);
    d.close(zif);
    d.close(cif);
    EXPECT_FATAL(d.build(), "summarize_as_block: not supported by this block type");
}

// The zero-delay conditionals (zif chains, zstate with zcases): every branch
// folded into one assignment node.
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct ZeroDesign : Design {
    HcpIdent x = reg("x"), y = reg("y"), a = wire("a"), b = wire("b"), c = wire("c");
    HcpIdent v1 = val(1), v2 = val(2), v3 = val(3), v4 = val(4);

    FlowBlockIdent zif(const HcpIdent& cond) {
        return open(make_flow_block_zif(m, "zi", cond, std::nullopt));
    }
    FlowBlockIdent zelif(const HcpIdent& cond) {
        return open(make_flow_block_zelif(m, "ze", cond, std::nullopt));
    }
    FlowBlockIdent zelse() { return open(make_flow_block_zelse(m, "zl")); }
    FlowBlockIdent zcase(int32_t match) { return open(make_flow_block_zcase(m, "zc", match)); }

    // The assignment node a built fold of kind `Kind` stands for.
    template <class Kind>
    NcpIdent folded(const FlowBlockIdent& b) {
        auto t = m.take<Kind>(b);
        const NcpIdent n = t->summarize_as_node();
        t.put_back();
        return n;
    }
    const AsmNode& node(const NcpIdent& n) const { return m.arena<AsmNode>().get(n.handle()); }
};

}  // namespace

TEST(ZeroCondSchematicTest, ChainFoldsEveryBranchIntoOneNodePerDestination) {
    ZeroDesign d;
    d.describe();
    const FlowBlockIdent s = d.open(make_flow_block_seq(d.m, "s"));
    const FlowBlockIdent zif = d.zif(d.a);
    d.assign(d.x, d.v1);
    d.assign(d.y, d.v1);
    d.close(zif);
    FlowBlockIdent blk = d.zelif(d.b);
    d.assign(d.x, d.v2);
    d.close(blk);
    blk = d.zelif(d.c);
    d.assign(d.y, d.v3);
    d.close(blk);
    blk = d.zelse();
    d.assign(d.x, d.v4);
    d.close(blk);
    d.close(s);
    d.build();

    auto t = d.m.take<FlowBlockZeroCondIf>(zif);
    const NcpIdent result = t->summarize_as_node();
    const std::vector<AssignMeta> own = t->metas;
    t.put_back();
    ASSERT_EQ(own.size(), 2u);
    // The head's negation follows its own folded assignments; each
    // continuation is taken out, then its chain step runs; the else (index
    // 2) makes nothing. Then one event per destination, then the node.
    const uint64_t first = own[1].cur_ue.global_id() + 1;
    EXPECT_DRAWN(d.m, first, zif,
                 {"EXPR_zcif_not_cond_#", TAKE, "EXPR_node_logic_expr", "EXPR_zcif_not_elif_#_0",
                  "EXPR_node_logic_expr", TAKE, "EXPR_node_logic_expr", "EXPR_zcif_not_elif_#_1",
                  "EXPR_node_logic_expr", TAKE, "UE_COND", "UE_COND", "ASM_NODE_zcif_result_#"});
}

TEST(ZeroCondSchematicTest, SwitchFoldsItsCasesInOrder) {
    ZeroDesign d;
    const HcpIdent sel = d.reg("sel", 2);
    d.describe();
    const FlowBlockIdent s = d.open(make_flow_block_seq(d.m, "s"));
    const FlowBlockIdent zs = d.open(make_flow_block_zstate(d.m, "zs", sel));
    FlowBlockIdent zc = d.zcase(0);
    d.assign(d.x, d.v1);
    d.close(zc);
    zc = d.zcase(1);
    d.assign(d.x, d.v2);
    // A zif nested in a case is folded first and joins the case's assignments.
    const FlowBlockIdent inner = d.zif(d.a);
    d.assign(d.y, d.v3);
    d.close(inner);
    d.close(zc);
    zc = d.zcase(3);
    d.assign(d.y, d.v4);
    d.close(zc);
    d.close(zs);
    d.close(s);
    d.build();

    const NcpIdent result = d.folded<FlowBlockZeroSwitch>(zs);
    // Each case is taken out to be read; then one event per destination.
    EXPECT_DRAWN(d.m, result.global_id() - 5, zs,
                 {TAKE, TAKE, TAKE, "UE_SWITCH", "UE_SWITCH", "ASM_NODE_zsw_result_#"});
}

TEST(ZeroCondSchematicTest, FoldsRefuseWhatTheyCannotLower) {
    {
        ZeroDesign d;
        const HcpIdent sel = d.reg("sel", 2);
        d.describe();
        d.close(d.open(make_flow_block_zstate(d.m, "zs", sel)));
        EXPECT_FATAL(d.build(), "assertion failed: !metas.is_empty()");
    }
    // A branch after the zelse could never be chosen; a second zelse has no
    // condition to test either.
    for (const bool elif_last : {false, true}) {
        ZeroDesign d;
        d.describe();
        d.close(d.zif(d.a));
        d.close(d.zelse());
        const FlowBlockIdent last = elif_last ? d.zelif(d.b) : d.zelse();
        d.assign(d.x, d.v1);
        d.close(last);
        EXPECT_FATAL(d.build(), "zero-cond-if 'zi': a zelse must be the last branch of its chain");
    }
}

#include "node_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

// Names and ids of the nodes a build makes are pinned with the blocks that
// make them; here what the factories refuse before drawing an id.
TEST(NodeFactoryTest, RefusalsDrawNoId) {
    TracedModel t;
    const HcpIdent a = make_reg(t.m, true, "a", 1);
    const uint64_t id = peek_global_id();
    EXPECT_FATAL(make_asm_node_many(t.m, "none", {}), "assertion failed: !metas.is_empty()");
    EXPECT_FATAL(make_pseudo_node(t.m, "p", 1, LogicOp::BitwiseXor),
                 "assertion failed: matches!(join_op, LogicOp::BitwiseAnd | LogicOp::BitwiseOr)");
    EXPECT_EQ(peek_global_id(), id);
    EXPECT_EQ(t.m.arena<AsmNode>().size(), 0u);

    // Many metas in one system-made node, in order.
    const AssignMeta ma = meta_into(t.m, a, a), mb = meta_into(t.m, a, a);
    const NcpIdent many = make_asm_node_many(t.m, "many", {ma, mb});
    EXPECT_FALSE(many.ident_base.is_user_com());
    EXPECT_EQ(t.m.arena<AsmNode>().get(many.handle()).asm_metas, (std::vector<AssignMeta>{ma, mb}));
}

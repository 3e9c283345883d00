#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_mark.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

TEST(ModuleTest, UntrackChecksTheModuleOnTop) {
    ModelArena m;
    const ModuleIdent top = make_module(m, "top");
    const ModuleIdent other = make_module(m, "other");
    EXPECT_FATAL(untrack_module_at_flow_init(m, top), "module trace stack is empty");

    track_module_at_flow_init(m, top);
    const std::string msg = FATAL_MESSAGE(untrack_module_at_com_init(m, other));
    EXPECT_EQ(
        msg.rfind(
            "assertion `left == right` failed: finalize_module: ident mismatch \u2014 "
            "wrong module finalized\n  left: ModuleIdent { ident_base: IdentBase { global_id: ",
            0),
        0u);
    // The entry stays removed.
    EXPECT_TRUE(m.module_trace_stack.empty());
}

// What a failed call made leaves its module's lists and its slot; once an
// element that is linked in when made (a block) was made, everything stays.
TEST(ModuleTest, AMarkTakesOutTheComponentsMadeSinceIt) {
    ModelArena m;
    const ModuleIdent top = make_module(m, "top");
    track_module_at_com_init(m, top);
    const HcpIdent kept = make_reg(m, true, "kept", 1);
    const ModelMark mark(m);
    const HcpIdent made[] = {make_reg(m, true, "r", 1), make_reg(m, false, "s", 1),
                             make_wire(m, true, "w", 1)};
    ASSERT_TRUE(mark.take_out_made_since(m));
    const Module& mod = m.arena<Module>().get(top.handle());
    using enum HwComponentType;
    EXPECT_EQ(mod.user_hcps[size_t(Reg)], std::vector{kept});
    EXPECT_TRUE(mod.system_hcps[size_t(Reg)].empty() && mod.user_hcps[size_t(Wire)].empty());
    for (const HcpIdent& h : made)
        EXPECT_FATAL(get_hcp_assign(m, h),
                     format("ArenaHandle element (global id {}) is already taken out of its arena",
                            h.global_id()));

    const ModelMark later(m);
    const HcpIdent wire = make_wire(m, true, "w", 1);
    make_flow_block_seq(m, "s");
    EXPECT_FALSE(later.take_out_made_since(m));
    EXPECT_EQ(mod.user_hcps[size_t(Wire)], std::vector{wire});
}

#include "model/arena_insert.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {
DynCounter counter_named(const char* name) {
    DynCounter d;
    d.ident = CcpIdent::make(CcpType::DynCounter, true, name);
    return d;
}
}  // namespace

TEST(CcpStampTest, StampingTiesTheComponentToTheTracedModule) {
    ModelArena m;
    const ModuleIdent top = make_module(m, "top");
    EXPECT_FATAL(insert_and_stamp_ccp(m, counter_named("x")), "module trace stack is empty");

    track_module_at_flow_init(m, top);  // the flow-description stage is accepted too
    const uint64_t id = peek_global_id();
    const CcpIdent c = insert_and_stamp_ccp(m, counter_named("c"));
    EXPECT_EQ(c.abs_name(), format("DCNT_c_{}", id));
    // One more id went to the placeholder of the take inside the stamping.
    EXPECT_EQ(peek_global_id(), id + 2);
    EXPECT_EQ(c.module_ident, top);
    EXPECT_EQ(m.arena<DynCounter>().get(c.handle()).ident, c);
    EXPECT_EQ(m.arena<Module>().get(top.handle()).ccps, (std::vector<CcpIdent>{c}));

    push_module_trace(m, top, ModuleInitStage::FlowBlockBuild);
    EXPECT_FATAL(insert_and_stamp_ccp(m, counter_named("late")),
                 "stamp_ccp_to_parent_module: CCPs cannot be created during FlowBlockBuild");
    EXPECT_EQ(m.arena<Module>().get(top.handle()).ccps.size(), 1u);
}

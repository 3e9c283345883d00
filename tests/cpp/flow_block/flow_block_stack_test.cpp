#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {

// A model with one module traced at the flow-description stage.
struct FlowFixture : ::testing::Test {
    ModelArena m;
    ModuleIdent top = mk_module(m, "top");
    HcpIdent cond = HcpIdent::make(HwComponentType::Wire, SENS_COMBINATIONAL, true, "c");

    FlowFixture() { track_module_at_flow_init(m, top); }

    FlowBlockIdent cif(const char* name) {
        return insert_flow_block(m, FlowBlockCond::make(name, cond, false));
    }
    FlowBlockIdent cselif(const char* name) {
        return insert_flow_block(m, FlowBlockCondElif::make(name, cond));
    }
    FlowBlockIdent zif(const char* name) {
        return insert_flow_block(m, FlowBlockZeroCondIf::make(name, cond));
    }
    NcpIdent asm_node() { return NcpIdent::make(NodeType::Asm, false, "a"); }

    FlowBlockBase base_of(const FlowBlockIdent& b) {
        auto t = take_flow_block(m, b);
        FlowBlockBase copy = t->get_base();
        t.put_back();
        return copy;
    }
    std::vector<FlowBlockIdent> top_blocks() { return m.arena<Module>().get(top.handle()).flow_blocks; }
    std::vector<BlockTrackStatus> statuses() {
        std::vector<BlockTrackStatus> out;
        for (const auto& e : m.flow_block_stack) out.push_back(e.status);
        return out;
    }
};

}  // namespace

TEST_F(FlowFixture, ChainHeadStaysLazilyClosedForItsContinuations) {
    const FlowBlockIdent seq = make_flow_block_seq(m, "s");
    const FlowBlockIdent head = cif("i");
    const FlowBlockIdent elif = cselif("e");
    const FlowBlockIdent els = make_flow_block_cselse(m, "x");
    initialize_flow_block(m, seq);
    initialize_flow_block(m, head);
    finalize_flow_block(m, head, false);
    EXPECT_EQ(statuses(), (std::vector{BlockTrackStatus::Open, BlockTrackStatus::LazyClosed}));

    // Continuations go above the head and are handed to it when closed.
    initialize_flow_block(m, elif);
    finalize_flow_block(m, elif, false);
    initialize_flow_block(m, els);
    finalize_flow_block(m, els, false);
    EXPECT_EQ(base_of(head).con_blocks, (std::vector{elif, els}));
    EXPECT_EQ(statuses(), (std::vector{BlockTrackStatus::Open, BlockTrackStatus::LazyClosed}));

    // Closing the seq first closes the head into it, then pops the seq.
    finalize_flow_block(m, seq, false);
    EXPECT_EQ(base_of(seq).sub_blocks, (std::vector{head}));
    EXPECT_TRUE(m.flow_block_stack.empty());
    EXPECT_EQ(top_blocks(), (std::vector{seq}));
}

TEST_F(FlowFixture, AnAssignmentClosesALazyHeadBeforeAttaching) {
    const FlowBlockIdent seq = make_flow_block_seq(m, "s");
    const FlowBlockIdent z = zif("z");
    initialize_flow_block(m, seq);
    initialize_flow_block(m, z);
    finalize_flow_block(m, z, false);
    const NcpIdent n = asm_node();
    attach_basic_node_to_current_scope(m, n);
    const FlowBlockBase& b = base_of(seq);
    EXPECT_EQ(b.sub_blocks, (std::vector{z}));
    EXPECT_EQ(b.basic_nodes, (std::vector{n}));
    EXPECT_EQ(b.sub_block_positions, (std::vector<uint32_t>{0}));
    EXPECT_EQ(b.basic_node_positions, (std::vector<uint32_t>{1}));
}

TEST_F(FlowFixture, BottomHeadReachesTheModuleByEachOfTheThreeRoutes) {
    // A non-continuation block opened next.
    const FlowBlockIdent h1 = cif("h1");
    initialize_flow_block(m, h1);
    finalize_flow_block(m, h1, false);
    EXPECT_TRUE(top_blocks().empty());
    const FlowBlockIdent seq = make_flow_block_seq(m, "s");
    initialize_flow_block(m, seq);
    EXPECT_EQ(top_blocks(), (std::vector{h1}));
    attach_basic_node_to_current_scope(m, asm_node());
    finalize_flow_block(m, seq, false);

    // The end of the description.
    const FlowBlockIdent h2 = cif("h2");
    initialize_flow_block(m, h2);
    finalize_flow_block(m, h2, false);
    finalize_flow_procedure(m);
    EXPECT_EQ(top_blocks(), (std::vector{h1, seq, h2}));

    // A loose assignment (top module set).
    set_top_module(m, top);
    const FlowBlockIdent h3 = cif("h3");
    initialize_flow_block(m, h3);
    finalize_flow_block(m, h3, false);
    const NcpIdent n = asm_node();
    attach_basic_node_to_current_scope(m, n);
    EXPECT_EQ(top_blocks().back(), h3);
    EXPECT_EQ(m.arena<Module>().get(top.handle()).basic_nodes, (std::vector{n}));
}

TEST_F(FlowFixture, LooseAssignmentsGoToTheTopModuleWhateverIsTraced) {
    const ModuleIdent sub = mk_module(m, "sub");
    track_module_at_flow_init(m, sub);
    EXPECT_FATAL(attach_basic_node_to_current_scope(m, asm_node()),
                 "add_basic_node_to_top_module: no top module set");
    set_top_module(m, top);
    attach_basic_node_to_current_scope(m, asm_node());
    EXPECT_EQ(m.arena<Module>().get(top.handle()).basic_nodes.size(), 1u);
    EXPECT_TRUE(m.arena<Module>().get(sub.handle()).basic_nodes.empty());
}

TEST_F(FlowFixture, FinalizingAnOuterBlockClosesExactlyOneLevel) {
    const FlowBlockIdent outer = make_flow_block_seq(m, "o");
    const FlowBlockIdent inner = make_flow_block_seq(m, "i");
    initialize_flow_block(m, outer);
    initialize_flow_block(m, inner);
    finalize_flow_block(m, outer, false);
    EXPECT_EQ(base_of(outer).sub_blocks, (std::vector{inner}));
    EXPECT_EQ(top_blocks(), (std::vector{outer}));

    // An open head above only turns lazy; the pop then finds the head.
    const FlowBlockIdent o2 = make_flow_block_seq(m, "o2");
    const FlowBlockIdent head = cif("h");
    initialize_flow_block(m, o2);
    initialize_flow_block(m, head);
    const std::string msg = FATAL_MESSAGE(finalize_flow_block(m, o2, false));
    EXPECT_EQ(msg.rfind("assertion `left == right` failed: finalize_flow_block: ident mismatch \u2014 "
                        "wrong block finalized\n  left: FlowBlockIdent { ident_base: IdentBase { global_id: " +
                            std::to_string(head.global_id()),
                        0),
              0u);
}

TEST_F(FlowFixture, TwoOpenBlocksAboveTheNamedOneAreAMismatch) {
    const FlowBlockIdent a = make_flow_block_seq(m, "a");
    const FlowBlockIdent b = make_flow_block_seq(m, "b");
    const FlowBlockIdent c = make_flow_block_seq(m, "c");
    initialize_flow_block(m, a);
    initialize_flow_block(m, b);
    initialize_flow_block(m, c);
    EXPECT_NE(FATAL_MESSAGE(finalize_flow_block(m, a, false)).find("wrong block finalized"), std::string::npos);
    EXPECT_FATAL(finalize_flow_block(m, c, true),
                 "finalize_flow_block: recursive finalize must not mismatch the expected block");
}

TEST_F(FlowFixture, ClosingTheLastBlockNeedsTheFlowDescriptionStage) {
    untrack_module_at_flow_init(m, top);
    const FlowBlockIdent s = make_flow_block_seq(m, "s");
    initialize_flow_block(m, s);
    EXPECT_FATAL(finalize_flow_block(m, s, false), "module trace stack is empty");
    track_module_at_com_init(m, top);
    initialize_flow_block(m, s);
    EXPECT_FATAL(finalize_flow_block(m, s, false),
                 "assertion `left == right` failed: finalize_flow_block: expected FlowBlockInit stage on "
                 "module trace stack, got CompInit\n  left: CompInit\n right: FlowBlockInit");
    EXPECT_FATAL(finalize_flow_block(m, s, false), "flow block stack is empty");
}

TEST_F(FlowFixture, FinalizeProcedureAndSkeletonType) {
    EXPECT_NO_THROW(finalize_flow_procedure(m));
    EXPECT_EQ(get_last_skeleton_flow_block_type(m), FlowBlockType::Parallel);
    const FlowBlockIdent par = make_flow_block_par_auto(m, "p");
    const FlowBlockIdent seq = make_flow_block_seq(m, "s");
    const FlowBlockIdent head = cif("h");
    initialize_flow_block(m, par);
    initialize_flow_block(m, seq);
    initialize_flow_block(m, head);
    finalize_flow_block(m, head, false);
    EXPECT_EQ(get_last_skeleton_flow_block_type(m), FlowBlockType::Sequential);
    EXPECT_FATAL(finalize_flow_procedure(m),
                 "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 3");
    finalize_flow_block(m, seq, false);
    EXPECT_EQ(get_last_skeleton_flow_block_type(m), FlowBlockType::Parallel);
    EXPECT_FATAL(finalize_flow_procedure(m),
                 "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open");
}

TEST_F(FlowFixture, EveryStackStepTakesItsParentOnce) {
    const FlowBlockIdent seq = make_flow_block_seq(m, "s");
    const FlowBlockIdent inner = make_flow_block_seq(m, "i");
    initialize_flow_block(m, seq);
    initialize_flow_block(m, inner);
    uint64_t before = peek_global_id();
    attach_basic_node_to_current_scope(m, asm_node());  // one id for the node, one for the take
    EXPECT_EQ(peek_global_id() - before, 2u);
    before = peek_global_id();
    finalize_flow_block(m, inner, false);  // takes the parent seq
    EXPECT_EQ(peek_global_id() - before, 1u);
    before = peek_global_id();
    finalize_flow_block(m, seq, false);  // goes to the module: modules draw none
    EXPECT_EQ(peek_global_id() - before, 0u);
}

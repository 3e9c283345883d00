#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/arena_insert.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {

// A model with one module traced at the flow-description stage.
struct FlowFixture : ::testing::Test {
    ModelArena m;
    ModuleIdent top = make_module(m, "top");
    HcpIdent cond = HcpIdent::make(HwComponentType::Wire, Sensitivity::Combinational, true, "c");

    FlowFixture() { track_module_at_flow_init(m, top); }

    FlowBlockIdent open(FlowBlockIdent b) {
        if (auto err = initialize_flow_block(m, b)) ADD_FAILURE() << err->message;
        return b;
    }
    void close(const FlowBlockIdent& b) {
        if (auto err = finalize_flow_block(m, b, false)) ADD_FAILURE() << err->message;
    }
    FlowBlockIdent seq(const char* name) { return open(make_flow_block_seq(m, name)); }
    // A chain head opened and closed: it stays on the stack, lazily closed.
    FlowBlockIdent closed_head(FlowBlockIdent head) {
        close(open(head));
        return head;
    }
    FlowBlockIdent cif(const char* name) {
        return insert_flow_block(m, FlowBlockCond::make(name, cond, false));
    }
    NcpIdent asm_node() { return NcpIdent::make(NodeType::Asm, false, "a"); }

    FlowBlockBase base_of(const FlowBlockIdent& b) {
        auto t = take_flow_block(m, b);
        FlowBlockBase copy = t->get_base();
        t.put_back();
        return copy;
    }
    std::vector<FlowBlockIdent> top_blocks() {
        return m.arena<Module>().get(top.handle()).flow_blocks;
    }
    std::vector<FlowBlockIdent> blocks() {
        std::vector<FlowBlockIdent> out;
        for (const auto& e : m.flow_block_stack) out.push_back(e.block);
        return out;
    }
    std::vector<BlockTrackStatus> statuses() {
        std::vector<BlockTrackStatus> out;
        for (const auto& e : m.flow_block_stack) out.push_back(e.status);
        return out;
    }
};

}  // namespace

TEST_F(FlowFixture, ChainHeadStaysLazilyClosedForItsContinuations) {
    const FlowBlockIdent s = seq("s");
    const FlowBlockIdent head = closed_head(cif("i"));
    EXPECT_EQ(statuses(), (std::vector{BlockTrackStatus::Open, BlockTrackStatus::LazyClosed}));

    // Continuations go above the head and are handed to it when closed.
    const FlowBlockIdent elif = insert_flow_block(m, FlowBlockCondElif::make("e", cond));
    const FlowBlockIdent els = make_flow_block_cselse(m, "x");
    close(open(elif));
    close(open(els));
    EXPECT_EQ(base_of(head).con_blocks, (std::vector{elif, els}));
    EXPECT_EQ(statuses(), (std::vector{BlockTrackStatus::Open, BlockTrackStatus::LazyClosed}));

    // Closing the seq first closes the head into it, then pops the seq.
    close(s);
    EXPECT_EQ(base_of(s).sub_blocks, (std::vector{head}));
    EXPECT_TRUE(m.flow_block_stack.empty());
    EXPECT_EQ(top_blocks(), (std::vector{s}));
}

TEST_F(FlowFixture, AnAssignmentClosesALazyHeadBeforeAttaching) {
    const FlowBlockIdent s = seq("s");
    const FlowBlockIdent z =
        closed_head(insert_flow_block(m, FlowBlockZeroCondIf::make("z", cond)));
    const NcpIdent n = asm_node();
    attach_basic_node_to_current_scope(m, n);
    const FlowBlockBase& b = base_of(s);
    EXPECT_EQ(b.sub_blocks, (std::vector{z}));
    EXPECT_EQ(b.basic_nodes, (std::vector{n}));
    EXPECT_EQ(b.sub_block_positions, (std::vector<uint32_t>{0}));
    EXPECT_EQ(b.basic_node_positions, (std::vector<uint32_t>{1}));
}

TEST_F(FlowFixture, BottomHeadReachesTheModuleByEachOfTheThreeRoutes) {
    // A non-continuation block opened next.
    const FlowBlockIdent h1 = closed_head(cif("h1"));
    EXPECT_TRUE(top_blocks().empty());
    const FlowBlockIdent s = seq("s");
    EXPECT_EQ(top_blocks(), (std::vector{h1}));
    attach_basic_node_to_current_scope(m, asm_node());
    close(s);

    // The end of the description.
    const FlowBlockIdent h2 = closed_head(cif("h2"));
    finalize_flow_procedure(m);
    EXPECT_EQ(top_blocks(), (std::vector{h1, s, h2}));

    // A loose assignment (top module set).
    set_top_module(m, top);
    const FlowBlockIdent h3 = closed_head(cif("h3"));
    const NcpIdent n = asm_node();
    attach_basic_node_to_current_scope(m, n);
    EXPECT_EQ(top_blocks().back(), h3);
    EXPECT_EQ(m.arena<Module>().get(top.handle()).basic_nodes, (std::vector{n}));
}

TEST_F(FlowFixture, FinalizingAnOuterBlockClosesExactlyOneLevel) {
    const FlowBlockIdent outer = seq("o");
    const FlowBlockIdent inner = seq("i");
    close(outer);
    EXPECT_EQ(base_of(outer).sub_blocks, (std::vector{inner}));
    EXPECT_EQ(top_blocks(), (std::vector{outer}));

    // An open head above would only turn lazy and stay on top: refused, with
    // the stack as it was.
    const FlowBlockIdent o2 = seq("o2");
    const FlowBlockIdent head = open(cif("h"));
    const auto before = std::pair{blocks(), statuses()};
    EXPECT_EQ(finalize_flow_block(m, o2, false),
              ErrorText::value(format("finalize_flow_block: flow block \"{}\" is not the "
                                      "innermost open block; the block open now is \"{}\" "
                                      "(blocks are closed innermost first)",
                                      o2.abs_name(), head.abs_name())));
    EXPECT_EQ(std::pair(blocks(), statuses()), before);
    close(head);
    close(o2);
    EXPECT_EQ(base_of(o2).sub_blocks, (std::vector{head}));

    // The recursive close of the block above must not mismatch at all.
    const FlowBlockIdent a = seq("a");
    seq("b");
    EXPECT_FATAL(finalize_flow_block(m, a, true),
                 "finalize_flow_block: recursive finalize must not mismatch the expected block");
}

TEST_F(FlowFixture, EveryStackStepTakesItsParentOnce) {
    const FlowBlockIdent s = seq("s");
    const FlowBlockIdent inner = seq("i");
    uint64_t before = peek_global_id();
    attach_basic_node_to_current_scope(m, asm_node());  // one id for the node, one for the take
    EXPECT_EQ(peek_global_id() - before, 2u);
    before = peek_global_id();
    close(inner);  // takes the parent seq
    EXPECT_EQ(peek_global_id() - before, 1u);
    before = peek_global_id();
    close(s);  // goes to the module: modules draw none
    EXPECT_EQ(peek_global_id() - before, 0u);
}

TEST_F(FlowFixture, AStageRefusalLeavesTheStackAsItWas) {
    // Each way a close reaches the module: the block alone, with a block
    // above it that closes into it first, and a lazy head with its open
    // continuation above it.
    for (int setup = 0; setup < 3; ++setup) {
        const FlowBlockIdent bottom = setup == 2 ? closed_head(cif("h")) : seq("s");
        if (setup == 1) seq("inner");
        if (setup == 2) open(make_flow_block_cselse(m, "e"));
        const auto before = std::pair{blocks(), statuses()};
        const ModuleIdent sub = make_module(m, "sub");
        track_module_at_com_init(m, sub);
        EXPECT_EQ(FATAL_MESSAGE(close(bottom))
                      .rfind("assertion `left == right` failed: finalize_flow_block: "
                             "expected FlowBlockInit stage on module trace stack, got CompInit",
                             0),
                  0u);
        EXPECT_EQ(std::pair(blocks(), statuses()), before) << setup;
        EXPECT_TRUE(base_of(bottom).sub_blocks.empty() && base_of(bottom).con_blocks.empty())
            << setup;
        untrack_module_at_com_init(m, sub);
        if (setup == 2)
            close(m.flow_block_stack.back().block);  // the continuation, so the head has it
        close(bottom);
        EXPECT_TRUE(m.flow_block_stack.empty());
        EXPECT_EQ(top_blocks().back(), bottom);
    }
}

// Opened again, a block would become its own element or join a second
// parent; refused wherever it is, before a lazy head is closed, drawing no id.
TEST_F(FlowFixture, ABlockIsOpenedOnce) {
    const auto refused_unchanged = [&](const FlowBlockIdent& b) {
        const auto before = std::tuple{blocks(), statuses(), top_blocks()};
        const uint64_t ids = peek_global_id();
        EXPECT_EQ(initialize_flow_block(m, b),
                  ErrorText::value(format("initialize_flow_block: flow block \"{}\" was already "
                                          "opened; a block is opened and closed once, so make a "
                                          "new block for more behaviour",
                                          b.abs_name())));
        EXPECT_EQ(peek_global_id(), ids);
        EXPECT_EQ(std::tuple(blocks(), statuses(), top_blocks()), before);
    };
    const FlowBlockIdent s = seq("s");
    refused_unchanged(s);  // open, on top
    const FlowBlockIdent inner = seq("i");
    refused_unchanged(s);  // open, below the top
    close(inner);
    refused_unchanged(inner);  // closed into its parent
    const FlowBlockIdent head = closed_head(cif("h"));
    refused_unchanged(head);  // lazily closed above s
    EXPECT_EQ(base_of(s).sub_blocks, std::vector{inner});
    close(s);
    EXPECT_EQ(base_of(s).sub_blocks, (std::vector{inner, head}));
    refused_unchanged(s);  // closed into the module
    const FlowBlockIdent bottom = closed_head(cif("h2"));
    refused_unchanged(bottom);  // lazily closed at the bottom: not handed to the module
    finalize_flow_procedure(m);
    EXPECT_EQ(top_blocks(), (std::vector{s, bottom}));
}

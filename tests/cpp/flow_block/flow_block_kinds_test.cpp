#include "model/arena_insert.hpp"
#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {

std::string check_text(ModelArena& m, const FlowBlockIdent& b) {
    CheckResult r = check_flow_block_prefinalize(m, b);
    return r ? r->message : "ok";
}

// Runs `f` on the block taken out, then puts it back.
template <class F>
void with(ModelArena& m, const FlowBlockIdent& b, F f) {
    auto t = take_flow_block(m, b);
    f(*t);
    t.put_back();
}

}  // namespace

// The empty-block texts of the other kinds are pinned through the Python layer.
TEST(FlowBlockKindsTest, PrefinalizeChecksArbitratedBlocksAndContinuations) {
    ModelArena m;
    const CcpIdent arb = CcpIdent::make(CcpType::Arb, true, "a");
    EXPECT_EQ(check_text(m, insert_flow_block(m, FlowBlockPip::make("p", arb, false))),
              "pipeline block must have exactly one body sub-block");
    EXPECT_EQ(
        check_text(m, insert_flow_block(
                          m, FlowBlockZync::make("z", {ZyncArbBind{std::nullopt, arb, 0}}, false))),
        "zync block must hold at least one basic node or basic-flow sub-block");

    // Once filled, a seq is still checked for continuations; a loop passes.
    const FlowBlockIdent seq = make_flow_block_seq(m, "s");
    with(m, seq, [&](FlowBlock& b) {
        b.add_element_in_flow_block(NcpIdent::make(NodeType::Asm, false, "n"));
        b.get_base_mut().push_con_block(make_flow_block_cselse(m, "e"));
    });
    EXPECT_EQ(check_text(m, seq), "seq flow block does not support con blocks");
    const FlowBlockIdent loop = make_flow_block_counter_loop(m, "l", 3);
    with(m, loop, [&](FlowBlock& b) { b.add_sub_flow_block(make_flow_block_seq(m, "body")); });
    EXPECT_EQ(check_text(m, loop), "ok");
}

TEST(FlowBlockKindsTest, KindsRefuseContentTheyCannotHold) {
    ModelArena m;
    const HcpIdent c = HcpIdent::make(HwComponentType::Wire, Sensitivity::Combinational, true, "c");
    const NcpIdent asm_n = NcpIdent::make(NodeType::Asm, false, "n");
    const FlowBlockIdent body = make_flow_block_seq(m, "body");
    const FlowBlockIdent zif = insert_flow_block(m, FlowBlockZeroCondIf::make("z", c));
    const FlowBlockIdent cselse = make_flow_block_cselse(m, "e");

    with(m, make_flow_block_seq(m, "s"), [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_element_in_flow_block(NcpIdent::make(NodeType::State, false, "s")),
                     "assertion `left == right` failed: flow-block basic nodes must be AsmNode\n"
                     "  left: State\n right: Asm");
        EXPECT_FATAL(b.add_sub_flow_block(cselse),
                     "FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as "
                     "sub-blocks of a seq");
        EXPECT_FATAL(b.summarize_as_node(), "summarize_as_node: not supported by this block type");
    });
    with(m, insert_flow_block(m, FlowBlockCond::make("c", c, false)), [&](FlowBlock& b) {
        b.add_sub_flow_block(body);
        EXPECT_FATAL(b.add_sub_flow_block(body), "cond block already has a body sub-block");
    });
    with(m, zif, [&](FlowBlock& b) {
        EXPECT_FATAL(
            b.add_con_flow_block(cselse),
            "assertion `left == right` failed: zero-cond-if con blocks must be ZeroCondElif\n"
            "  left: CondElif\n right: ZeroCondElif");
        EXPECT_FATAL(
            b.add_sub_flow_block(body),
            "assertion `left == right` failed: zero-cond-if sub blocks must have BasicNodeFlow "
            "join policy\n  left: SubFlow\n right: BasicNodeFlow");
    });
    with(m, insert_flow_block(m, FlowBlockZeroSwitch::make("sw", c)), [&](FlowBlock& b) {
        EXPECT_FATAL(
            b.add_sub_flow_block(zif),
            "assertion `left == right` failed: zero-switch sub blocks must be ZeroSwitchCase\n"
            "  left: ZeroCondIf\n right: ZeroSwitchCase");
    });
    const CcpIdent arb = CcpIdent::make(CcpType::Arb, true, "a");
    with(m, insert_flow_block(m, FlowBlockPip::make("p", arb, false)), [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_element_in_flow_block(asm_n),
                     "pipeline block does not accept direct asm nodes; use a sub-block");
    });
    // Only assignments, directly or in a basic-flow block, can wait for a grant.
    const FlowBlockIdent zync =
        insert_flow_block(m, FlowBlockZync::make("z", {ZyncArbBind{std::nullopt, arb, 0}}, false));
    with(m, zync, [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_sub_flow_block(body),
                     "assertion `left == right` failed: zync block accepts only basic-flow "
                     "sub-blocks; use a direct "
                     "asm node or a basic-flow block\n  left: SubFlow\n right: BasicNodeFlow");
    });
    with(m, make_flow_block_pick(m, "p"), [&](FlowBlock& b) {
        EXPECT_FATAL(
            b.add_sub_flow_block(body),
            "assertion `left == right` failed: pick sub blocks must be pif/pidef (PickIf)\n"
            "  left: Sequential\n right: PickIf");
        EXPECT_FATAL(b.add_con_flow_block(cselse),
                     "pick block does not accept continuation blocks");
    });
}

TEST(FlowBlockKindsTest, NamesAndDefaultsFollowTheKind) {
    ModelArena m;
    const uint64_t id = peek_global_id();
    EXPECT_EQ(make_flow_block_seq(m, "x").abs_name(), format("SEQUENTIAL_x_{}", id));
    EXPECT_EQ(make_flow_block_seq(m, "").abs_name(), format("SEQUENTIAL__{}", id + 1));

    // A taken chain head leaves a default that is still a chain head.
    const HcpIdent c = HcpIdent::make(HwComponentType::Wire, Sensitivity::Combinational, true, "c");
    const FlowBlockIdent head = insert_flow_block(m, FlowBlockZeroCondIf::make("h", c));
    auto t = take_flow_block(m, head);
    const FlowBlockIdent& placeholder =
        m.arena<FlowBlockZeroCondIf>().get(head.handle()).base.ident;
    EXPECT_TRUE(placeholder.chain_master);
    EXPECT_EQ(placeholder.join_policy, FlowBlockJoinPolicy::BasicNodeFlow);
    EXPECT_EQ(placeholder.abs_name(), format("ZERO_COND_IF__{}", placeholder.global_id()));
    t.put_back();
}

TEST(FlowBlockKindsTest, ConditionSlicesResolveToTheConditionOrAnExpression) {
    ModelArena m;
    const ModuleIdent top = make_module(m, "top");
    track_module_at_flow_init(m, top);
    const HcpIdent bit = make_wire(m, true, "bit", 1);
    const HcpIdent byte = make_wire(m, true, "byte", 8);
    auto cond_of = [&](const FlowBlockIdent& b) {
        return m.arena<FlowBlockCond>().get(b.handle()).schematic.cond;
    };

    // No slice, an empty slice, a whole-signal slice: the condition itself.
    uint64_t before = peek_global_id();
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "a", bit, std::nullopt)), bit);
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "c", byte, Slice::range(3, 3))), byte);
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "d", byte, Slice::whole())), byte);
    EXPECT_EQ(peek_global_id() - before, 3u);  // the blocks only

    // A part of the signal: a SliceBit expression, made before the block.
    before = peek_global_id();
    const FlowBlockIdent e = make_flow_block_sif(m, "c", byte, Slice::range(2, 3));
    const HcpIdent sliced = cond_of(e);
    EXPECT_EQ(sliced.abs_name(), format("EXPR_c_CONDSLICE_{}", before));
    EXPECT_EQ(e.global_id(), before + 1);
    EXPECT_EQ(
        m.arena<Module>().get(top.handle()).system_hcps[size_t(HwComponentType::Expression)].back(),
        sliced);

    // A wait keeps the condition, and by default all of its bits.
    const FlowBlockIdent w = make_flow_block_scwait(m, "w", byte, std::nullopt);
    const auto& target = std::get<WaitCondTarget>(m.arena<FlowBlockWait>().get(w.handle()).target);
    EXPECT_EQ(target.cond_i, byte);
    EXPECT_EQ(target.cond_slice, Slice::range(0, 8));
}

// A block's entries list its own first, then every nested list's, which it
// shares; empty parts anywhere leave no gap.
TEST(EntryListTest, NestedListsReadInOrderAndAreShared) {
    std::vector<NcpIdent> n;
    for (int i = 0; i < 5; ++i)
        n.push_back(NcpIdent::make(NodeType::Pseudo, false, std::to_string(i)));
    const EntryList inner({n[2]}, {EntryList{}, EntryList{n[3], n[4]}});
    const EntryList outer({n[0], n[1]}, {EntryList(std::vector<NcpIdent>{}, {inner}), EntryList{}});
    EXPECT_EQ(outer, n);
    EXPECT_EQ(outer.size(), 5u);
    EXPECT_EQ(outer[3], n[3]);
    EXPECT_FATAL(outer.at(5), "EntryList index 5 out of range: the list has 5 entries");
    EXPECT_TRUE(EntryList().empty());
    EXPECT_EQ(EntryList().begin(), EntryList().end());
    // Copies and nesting share the lists, never copy them.
    const EntryList copy = outer;
    EXPECT_EQ(&*copy.begin(), &*outer.begin());
    EXPECT_EQ(&outer[2], &inner[0]);
}

TEST(EntryListTest, AListNestedDeeperThanAnyStackIsReadAndFreedWithoutRecursion) {
    const NcpIdent n = NcpIdent::make(NodeType::Pseudo, false, "n");
    EntryList list{n};
    for (int i = 0; i < 1000000; ++i) list = EntryList({}, {list});
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], n);
}

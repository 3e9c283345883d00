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

FlowBlockIdent seq_child(ModelArena& m) { return make_flow_block_seq(m, "body"); }

}  // namespace

TEST(FlowBlockKindsTest, PrefinalizeChecksReportEmptyAndMisusedBlocks) {
    ModelArena m;
    const HcpIdent c = HcpIdent::make(HwComponentType::Wire, SENS_COMBINATIONAL, true, "c");
    const NcpIdent n = NcpIdent::make(NodeType::Asm, false, "n");

    auto seq = make_flow_block_seq(m, "s");
    EXPECT_EQ(check_text(m, seq), "seq flow block has no element");
    auto par = make_flow_block_par_no_sync(m, "p");
    EXPECT_EQ(check_text(m, par), "parallel flow block has no element");
    auto cond = insert_flow_block(m, FlowBlockCond::make("c", c, true));
    EXPECT_EQ(check_text(m, cond), "cond block must have at least one body block");
    auto els = make_flow_block_cselse(m, "e");
    EXPECT_EQ(check_text(m, els), "cond elif/else block has no body sub-block");
    auto pick = make_flow_block_pick(m, "k");
    EXPECT_EQ(check_text(m, pick), "pick block must have at least one pif branch");
    auto pidef = make_flow_block_pidef(m, "d");
    EXPECT_EQ(check_text(m, pidef), "pick branch (pif/pidef) has no body sub-block");
    auto wh = insert_flow_block(m, FlowBlockWhile::make("w", c, false));
    EXPECT_EQ(check_text(m, wh), "while block must have one body block");
    auto dw = insert_flow_block(m, FlowBlockDoWhile::make("d", c));
    EXPECT_EQ(check_text(m, dw), "do-while block must have exactly one body block");
    auto cl = make_flow_block_counter_loop(m, "l", 3);
    EXPECT_EQ(check_text(m, cl), "counter loop must have exactly one body block");
    auto pip = insert_flow_block(m, FlowBlockPip::make("p", CcpIdent::make(CcpType::Arb, true, "a"), false));
    EXPECT_EQ(check_text(m, pip), "pipeline block must have exactly one body sub-block");
    auto zync = insert_flow_block(
        m, FlowBlockZync::make("z", {ZyncArbBind{std::nullopt, CcpIdent::make(CcpType::Arb, true, "a"), 0}}, false));
    EXPECT_EQ(check_text(m, zync), "zync block must hold at least one basic node or basic-flow sub-block");
    // Zero-delay blocks and waits never report a problem.
    EXPECT_EQ(check_text(m, make_flow_block_zelse(m, "z")), "ok");
    EXPECT_EQ(check_text(m, make_flow_block_sywait(m, "y", 2)), "ok");

    // Filled: the continuation check of a seq.
    {
        auto t = take_flow_block(m, seq);
        t->add_element_in_flow_block(n);
        t->get_base_mut().push_con_block(els);
        t.put_back();
    }
    EXPECT_EQ(check_text(m, seq), "seq flow block does not support con blocks");
    {
        auto t = take_flow_block(m, cl);
        t->add_sub_flow_block(seq_child(m));
        t.put_back();
    }
    EXPECT_EQ(check_text(m, cl), "ok");
}

TEST(FlowBlockKindsTest, KindsRefuseContentTheyCannotHold) {
    ModelArena m;
    const HcpIdent c = HcpIdent::make(HwComponentType::Wire, SENS_COMBINATIONAL, true, "c");
    const NcpIdent asm_n = NcpIdent::make(NodeType::Asm, false, "n");
    const NcpIdent state_n = NcpIdent::make(NodeType::State, false, "s");
    const FlowBlockIdent body = seq_child(m);
    const FlowBlockIdent zif = insert_flow_block(m, FlowBlockZeroCondIf::make("z", c));
    const FlowBlockIdent cselse = make_flow_block_cselse(m, "e");

    auto with = [&](const FlowBlockIdent& b, auto&& f) {
        auto t = take_flow_block(m, b);
        f(*t);
        t.put_back();
    };
    auto seq = make_flow_block_seq(m, "s");
    with(seq, [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_element_in_flow_block(state_n),
                     "assertion `left == right` failed: flow-block basic nodes must be AsmNode\n"
                     "  left: State\n right: Asm");
        EXPECT_FATAL(b.add_sub_flow_block(cselse),
                     "FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as sub-blocks of a seq");
        EXPECT_FATAL(b.summarize_as_node(), "summarize_as_node: not supported by this block type");
        EXPECT_FATAL(b.get_loop_id_expr_i(), "get_loop_id_expr_i: not supported by this block type");
        EXPECT_FATAL(b.summarize_as_block(), "flow block has not been built");
    });
    with(insert_flow_block(m, FlowBlockCond::make("c", c, false)), [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_element_in_flow_block(asm_n), "cond block does not accept direct asm nodes; use a sub-block");
        b.add_sub_flow_block(body);
        EXPECT_FATAL(b.add_sub_flow_block(body), "cond block already has a body sub-block");
    });
    with(zif, [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_con_flow_block(cselse),
                     "assertion `left == right` failed: zero-cond-if con blocks must be ZeroCondElif\n"
                     "  left: CondElif\n right: ZeroCondElif");
        EXPECT_FATAL(b.add_sub_flow_block(body),
                     "assertion `left == right` failed: zero-cond-if sub blocks must have BasicNodeFlow "
                     "join policy\n  left: SubFlow\n right: BasicNodeFlow");
        EXPECT_FATAL(b.summarize_as_node(), "it has not generated yet");
        EXPECT_FATAL(b.summarize_as_block(), "summarize_as_block: not supported by this block type");
    });
    with(make_flow_block_zstate(m, "sw", c), [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_element_in_flow_block(asm_n), "FlowBlockZeroSwitch add_element_in_flow_block shouldn't be called!");
        EXPECT_FATAL(b.add_sub_flow_block(zif),
                     "assertion `left == right` failed: zero-switch sub blocks must be ZeroSwitchCase\n"
                     "  left: ZeroCondIf\n right: ZeroSwitchCase");
        EXPECT_FATAL(b.summarize_as_node(), "zero-switch has not been built yet");
    });
    with(make_flow_block_pick(m, "p"), [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_sub_flow_block(body),
                     "assertion `left == right` failed: pick sub blocks must be pif/pidef (PickIf)\n"
                     "  left: Sequential\n right: PickIf");
        EXPECT_FATAL(b.add_con_flow_block(cselse), "pick block does not accept continuation blocks");
    });
    with(make_flow_block_sywait(m, "w", 3), [&](FlowBlock& b) {
        EXPECT_FATAL(b.add_element_in_flow_block(asm_n), "wait block accepts no direct nodes");
        EXPECT_FATAL(b.add_sub_flow_block(body), "wait block accepts no sub-blocks");
    });
    EXPECT_FATAL(make_flow_block_counter_loop(m, "l", 0), "counter loop count must be positive");
    EXPECT_FATAL(FlowBlockPip::make("p", CcpIdent::make(CcpType::Karray, true, "k"), false),
                 "assertion `left == right` failed: PipSchematic::new: ccp must be an Arb\n"
                 "  left: Karray\n right: Arb");
}

TEST(FlowBlockKindsTest, NamesAndDefaultsFollowTheKind) {
    ModelArena m;
    const uint64_t id = peek_global_id();
    const FlowBlockIdent s = make_flow_block_seq(m, "x");
    EXPECT_EQ(s.abs_name(), format("SEQUENTIAL_x_{}", id));
    const FlowBlockIdent e = make_flow_block_seq(m, "");
    EXPECT_EQ(e.abs_name(), format("SEQUENTIAL__{}", id + 1));
    EXPECT_FATAL(make_flow_block_seq(m, std::string(250, 'n')),
                 format("name exceeds MAX_NAME_LEN (256): \"SEQUENTIAL_{}_{}\"", std::string(250, 'n'), id + 2));

    // A taken chain head leaves a default that is still a chain head.
    const FlowBlockIdent z = make_flow_block_zelse(m, "z");
    const HcpIdent c = HcpIdent::make(HwComponentType::Wire, SENS_COMBINATIONAL, true, "c");
    const FlowBlockIdent head = insert_flow_block(m, FlowBlockZeroCondIf::make("h", c));
    auto t = take_flow_block(m, head);
    const FlowBlockIdent& placeholder = m.arena<FlowBlockZeroCondIf>().get(head.handle()).base.ident;
    EXPECT_TRUE(placeholder.chain_master);
    EXPECT_EQ(placeholder.join_policy, FlowBlockJoinPolicy::BasicNodeFlow);
    EXPECT_EQ(placeholder.abs_name(), format("ZERO_COND_IF__{}", placeholder.global_id()));
    t.put_back();
    EXPECT_EQ(z.join_policy, FlowBlockJoinPolicy::ConFlow);
}

TEST(FlowBlockKindsTest, ConditionSlicesResolveToTheConditionOrAnExpression) {
    ModelArena m;
    const ModuleIdent top = mk_module(m, "top");
    track_module_at_flow_init(m, top);
    const HcpIdent bit = make_wire(m, true, "bit", 1);
    const HcpIdent byte = make_wire(m, true, "byte", 8);
    auto cond_of = [&](const FlowBlockIdent& b) { return m.arena<FlowBlockCond>().get(b.handle()).schematic.cond; };

    // No slice, an empty slice, a whole-signal slice: the condition itself.
    uint64_t before = peek_global_id();
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "a", bit, std::nullopt)), bit);
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "b", bit, Slice::range(0, 1))), bit);
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "c", byte, Slice::range(3, 3))), byte);
    EXPECT_EQ(cond_of(make_flow_block_cif(m, "d", byte, Slice::whole())), byte);
    EXPECT_EQ(peek_global_id() - before, 4u);  // the four blocks only

    // A part of the signal: a SliceBit expression, made before the block.
    before = peek_global_id();
    const FlowBlockIdent e = make_flow_block_sif(m, "c", byte, Slice::range(2, 3));
    const HcpIdent sliced = m.arena<FlowBlockCond>().get(e.handle()).schematic.cond;
    EXPECT_EQ(sliced.abs_name(), format("EXPR_c_CONDSLICE_{}", before));
    EXPECT_EQ(e.global_id(), before + 1);
    EXPECT_EQ(get_hcp_assign(m, sliced).get_des_slice(), Slice::range(0, 1));
    EXPECT_TRUE(m.arena<FlowBlockCond>().get(e.handle()).schematic.is_state);
    EXPECT_EQ(m.arena<Module>().get(top.handle()).system_hcps[size_t(HwComponentType::Expression)].back(), sliced);

    // A wait keeps the condition and its range.
    const FlowBlockIdent w = make_flow_block_scwait(m, "w", byte, std::nullopt);
    const auto& target = std::get<WaitCondTarget>(m.arena<FlowBlockWait>().get(w.handle()).target);
    EXPECT_EQ(target.cond_i, byte);
    EXPECT_EQ(target.cond_slice, Slice::range(0, 8));
    const FlowBlockIdent w2 = make_flow_block_scwait(m, "w", byte, Slice::range(2, 3));
    EXPECT_EQ(std::get<WaitCondTarget>(m.arena<FlowBlockWait>().get(w2.handle()).target).cond_slice,
              Slice::range(2, 3));
}

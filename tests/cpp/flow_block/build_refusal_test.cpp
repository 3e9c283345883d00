// What build_flow refuses in a block it lowers, with the warnings printed
// before the refusal. How blocks are lowered is shown by the simulations
// (timing) and pinned by the golden text (ids and names).
#include <functional>

#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/flow_block/common/arena_factory_flow_block_arb.hpp"
#include "schematic_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct Blocks : Design {
    HcpIdent r = reg("r"), v = val(1), a = wire("a"), b = wire("b"), sel = reg("sel", 2);
    CcpIdent arb = component([&] { return make_arb(m, true, "arb", ArbSamePriPolicy::AckOne); });

    // `block` holding one assignment, or a sequence of one (a branch).
    void leaf(FlowBlockIdent block) {
        open(block);
        assign(r, v);
        close(block);
    }
    void branch(FlowBlockIdent block) { around(block, r, v); }
    // A continuation put on the stack as opening one did before
    // initialize_flow_block refused a chain that takes no more: the build's
    // own check of the chain is what stops it here.
    FlowBlockIdent forced(FlowBlockIdent block) {
        m.flow_block_stack.push_back(FlowBlockStackEntry{block, BlockTrackStatus::Open});
        checked_mut_flow_block(m, block).get_base_mut().opened = true;
        return block;
    }
    void forced_branch(FlowBlockIdent block) {
        forced(block);
        seq("s", r, v);
        close(block);
    }
    void forced_leaf(FlowBlockIdent block) {
        forced(block);
        assign(r, v);
        close(block);
    }
    FlowBlockIdent cif() { return make_flow_block_cif(m, "i", a, std::nullopt); }
    FlowBlockIdent sif() { return make_flow_block_sif(m, "i", a, std::nullopt); }
    FlowBlockIdent cselse() { return make_flow_block_cselse(m, "el"); }
    FlowBlockIdent zif() { return make_flow_block_zif(m, "zi", a, std::nullopt); }
    FlowBlockIdent zelse() { return make_flow_block_zelse(m, "zl"); }
    FlowBlockIdent pip(const char* name) {
        return make_flow_block_pip(m, name, arb, 1, false, false);
    }
    void empty(FlowBlockIdent block) { close(open(block)); }
    // A block closed into the module as closing one did before
    // finalize_flow_block refused it empty.
    void forced_empty(FlowBlockIdent block) {
        open(block);
        m.flow_block_stack.pop_back();
        m.checked_mut<Module>(top).flow_blocks.push_back(block);
    }
};

std::string warned(const char* kind, const char* name, const char* text) {
    return format("[vorlent][warn] {} block '{}': {}\n", kind, name, text);
}
const std::string PICK_WARNING = warned(
    "pick", "pk", "exit is NOT auto-synchronized; the matching branch drives the exit signal");

}  // namespace

TEST(BuildRefusalTest, EachKindRefusesWhatItCannotLower) {
    struct Case {
        const char* what;
        std::function<void(Blocks&)> describe;
        std::string log;  // the warnings, then "fatal: " and the refusal
    };
    const Case cases[] = {
        // A branch after the else would run alongside the one chosen before it.
        {"cif branch after the cselse",
         [](Blocks& d) {
             d.branch(d.cif()), d.branch(d.cselse());
             d.forced_branch(make_flow_block_cselif(d.m, "ei", d.b, std::nullopt));
         },
         "cond block 'i': a cselse must be the last branch of its chain"},
        {"sif second cselse",
         [](Blocks& d) { d.branch(d.sif()), d.branch(d.cselse()), d.forced_branch(d.cselse()); },
         "cond block 'i': a cselse must be the last branch of its chain"},
        {"zelif after the zelse",
         [](Blocks& d) {
             d.leaf(d.zif()), d.leaf(d.zelse());
             d.forced_leaf(make_flow_block_zelif(d.m, "ze", d.b, std::nullopt));
         },
         "zero-cond-if 'zi': a zelse must be the last branch of its chain"},
        {"second zelse",
         [](Blocks& d) { d.leaf(d.zif()), d.leaf(d.zelse()), d.forced_leaf(d.zelse()); },
         "zero-cond-if 'zi': a zelse must be the last branch of its chain"},
        // Zero-delay blocks stand for assignments: no branch of a chain.
        {"zelse continuing a cif", [](Blocks& d) { d.branch(d.cif()), d.forced_leaf(d.zelse()); },
         "assertion `left == right` failed: cond block con blocks must be CondElif\n"
         "  left: ZeroCondElif\n right: CondElif"},
        {"zif as a cif body",
         [](Blocks& d) {
             const FlowBlockIdent cif = d.open(d.cif());
             d.leaf(d.zif());
             d.close(cif);
         },
         "summarize_as_block: not supported by this block type"},
        {"empty zstate", [](Blocks& d) { d.empty(make_flow_block_zstate(d.m, "zs", d.sel)); },
         "assertion failed: !metas.is_empty()"},
        {"pick without a pif", [](Blocks& d) { d.empty(make_flow_block_pick(d.m, "pk")); },
         PICK_WARNING + "fatal: pick block must have at least one pif branch"},
        {"pick with two pidefs",
         [](Blocks& d) {
             const FlowBlockIdent pick = d.open(make_flow_block_pick(d.m, "pk"));
             d.branch(make_flow_block_pidef(d.m, "pd"));
             d.branch(make_flow_block_pif(d.m, "pi", d.a, std::nullopt));
             d.branch(make_flow_block_pidef(d.m, "pd"));
             d.close(pick);
         },
         PICK_WARNING + "fatal: pick block accepts at most one pidef default branch"},
        {"do-while without a body",
         [](Blocks& d) { d.empty(make_flow_block_do_while(d.m, "dw", d.a, std::nullopt)); },
         "assertion `left == right` failed: do-while block must have exactly one body "
         "block\n  left: 0\n right: 1"},
        {"sywait of no cycles", [](Blocks& d) { d.empty(make_flow_block_sywait(d.m, "w", 0)); },
         "assertion failed: cycle > 0"},
        // Only one pipeline may own an arbiter's master acknowledge.
        {"two pipelines on one arbiter",
         [](Blocks& d) {
             const FlowBlockIdent par = d.open(make_flow_block_par_auto(d.m, "par"));
             d.branch(d.pip("p1")), d.branch(d.pip("p2"));
             d.close(par);
         },
         "Arb::set_master_ack_src: master ack already set"},
        // Built empty, after the warning.
        {"empty zync",
         [](Blocks& d) {
             const ZyncBindArgs bind{d.arb, 1, true, std::nullopt};
             d.forced_empty(make_flow_block_zync_multi(d.m, "e", {bind, bind}, true).value());
         },
         warned("zync", "e",
                "All-mode grant is AND over (ack & cond); the target may activate when not all "
                "conditions are satisfied") +
             "fatal: zync flow block must hold at least one basic node or basic-flow sub-block"},
        {"zync whose leaf is gone",
         [](Blocks& d) {
             d.leaf(make_flow_block_zync(d.m, "z", d.arb, 1, false));
             d.m.arena<Arb>().get_mut(d.arb.handle()).leaves.clear();
         },
         "ZyncSchematic::build: channel index out of range for arb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Blocks d;
        d.describe();
        c.describe(d);
        const std::string log = d.build_logged();
        EXPECT_EQ(log, c.log.find("fatal: ") == std::string::npos ? "fatal: " + c.log : c.log);
    }
}

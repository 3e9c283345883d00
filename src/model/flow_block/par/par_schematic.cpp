// The parallel schematic: every branch starts when the block is entered; the
// block's own assignments form one more branch of one state. The exit is the
// slowest branch when all latencies are fixed, else a join: a sync node
// (auto-sync: all have ended) or the first end after the entry (no-sync).
#include <algorithm>

#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/par/flow_block_par.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

struct Candidate {
    NcpIdent exit;
    int32_t cycle;
    EntryList entries;  // none for the state node
    IdSpan made;        // the branch's nodes
};

// The state node (counted as one cycle whatever it reports), then each
// branch's exit with its latency.
std::vector<Candidate> candidates(const ParSchematic& s) {
    std::vector<Candidate> out;
    if (s.state_node) out.push_back({*s.state_node, 1, {}, {}});
    for (const NodeWrap& w : s.branch_wraps)
        out.push_back({w.exit(), w.cycle(), w.samples(), w.made()});
    return out;
}

// Per candidate: may it end in the cycle the block is entered?
std::vector<bool> ends_at_entry(ModelArena& model, const std::vector<Candidate>& cands) {
    std::vector<bool> out;
    for (const Candidate& c : cands)
        out.push_back(!c.entries.empty() &&
                      exit_follows_entries_at_once(model, c.exit, c.entries, c.made));
    return out;
}

std::optional<NcpIdent> exit_matching_cycle(const std::vector<Candidate>& cands, int32_t cycle) {
    if (cycle < 0) return std::nullopt;
    for (const Candidate& c : cands)
        if (c.cycle == cycle) return c.exit;
    return std::nullopt;
}

NcpIdent any_exit(const std::vector<Candidate>& cands) {
    if (cands.empty()) fatal("parallel block exit node was not found");
    return cands.front().exit;
}

// A join node fed by every candidate's exit (under its guard, when given),
// assigned at once.
void feed_join(ModelArena& model, FlowBlockBase& base, const NcpIdent& join,
               const std::vector<Candidate>& cands,
               const std::vector<std::optional<HcpIdent>>& guards = {}) {
    NcpNode& node = get_ncp_node_mut(model, join);
    node.fill_ext_node(base.triggers);
    for (size_t k = 0; k < cands.size(); ++k)
        node.add_depend_node(cands[k].exit, k < guards.size() ? guards[k] : std::nullopt);
    base.gen_nodes.push_back(join);
    assign_ncp_node(model, join, true, true);
}

NcpIdent make_filled_node(ModelArena& model, FlowBlockBase& base, NcpIdent node) {
    get_ncp_node_mut(model, node).fill_ext_node(base.triggers);
    base.gen_nodes.push_back(node);
    return node;
}

HcpIdent inverted(ModelArena& model, const std::string& name, const HcpIdent& x) {
    return make_expression_single(model, false, name, LogicOp::BitwiseInvr, x, std::nullopt);
}

// The no-sync exit when no branch is known to end last: the first candidate
// end after each entry, once. A state "par_done_{}" remembers that the
// activation under way has ended; an entry clears it. A branch left running
// by an earlier activation is not stopped: the block does not know which
// activation a branch end belongs to, so its end counts for the activation
// under way. A candidate that may end in its start cycle also ends the
// block in the cycle it is entered, whatever the state says; the entry
// cannot gate the other candidates, since in a loop the entry follows this
// exit in the same cycle.
NcpIdent first_end_exit(ModelArena& model, FlowBlockBase& base, uint64_t id, const NcpIdent& entry,
                        const std::vector<Candidate>& cands) {
    const std::vector<bool> at_entry = ends_at_entry(model, cands);
    const HcpIdent entered = get_ncp_node(model, entry).get_exit_opr();
    const NcpIdent done =
        make_filled_node(model, base, make_state_node(model, false, format("par_done_{}", id)));
    assign_ncp_node(model, done, true, false);
    const HcpIdent open =
        inverted(model, format("par_open_{}", id), get_ncp_node(model, done).get_exit_opr());
    std::optional<HcpIdent> open_or_entered;
    if (std::find(at_entry.begin(), at_entry.end(), true) != at_entry.end())
        open_or_entered =
            make_expression(model, false, format("par_open_or_entered_{}", id), LogicOp::BitwiseOr,
                            open, entered, std::nullopt, std::nullopt);
    std::vector<std::optional<HcpIdent>> guards;
    for (bool now : at_entry) guards.push_back(now ? open_or_entered : open);
    const NcpIdent exit = make_pseudo_node(model, "par_no_sync_exit", 1, LogicOp::BitwiseOr);
    feed_join(model, base, exit, cands, guards);

    // Set when the block ends, kept, both unless entered again; set by an
    // end in the entry cycle itself.
    const HcpIdent not_entered = inverted(model, format("par_not_entered_{}", id), entered);
    NcpNode& done_node = get_ncp_node_mut(model, done);
    done_node.add_depend_node(exit, not_entered);
    done_node.add_depend_node(done, not_entered);
    for (size_t k = 0; k < cands.size(); ++k)
        if (at_entry[k]) done_node.add_depend_node(cands[k].exit, entered);
    assign_ncp_node(model, done, false, true);
    return exit;
}

// A par that ends with its first branch leaves the others running, and may
// be entered again in the cycle one of them ends: every auto-sync join nested
// in its branches keeps the slots of the candidates that can end in its
// entry cycle (SyncReg::carry_over). A nested par that ends first has done
// so for its own branches already.
void carry_joins_left_running(ModelArena& model, const FlowBlockBase& base) {
    std::vector<FlowBlockIdent> todo = base.sub_blocks;
    while (!todo.empty()) {
        const FlowBlockIdent block = todo.back();
        todo.pop_back();
        if (block.block_type == FlowBlockType::Parallel) {
            const ParSchematic& s = model.get<FlowBlockPar>(block).schematic;
            if (s.exit_node) continue;
            if (s.sync_node) {
                const std::vector<bool> carry = ends_at_entry(model, candidates(s));
                auto reg = model.take<SyncReg>(model.get<SynNode>(*s.sync_node).reg);
                reg->carry_over(model, carry);
                reg.put_back();
            }
        }
        const FlowBlockBase& nested = get_flow_block(model, block).get_base();
        for (const auto* list : {&nested.sub_blocks, &nested.con_blocks})
            todo.insert(todo.end(), list->begin(), list->end());
    }
}

NodeWrap build_par(ParSchematic& s, FlowBlockBase& base, ModelArena& model) {
    if (base.basic_nodes.empty() && base.sub_blocks.empty())
        fatal("parallel flow block has no element");
    if (!base.con_blocks.empty()) fatal("parallel flow block does not support con blocks");
    const uint64_t id = base.ident.global_id();
    const auto sub_flows = scan_sub_blocks_by_policy(base.sub_blocks).second;

    std::vector<int32_t> cycles;
    std::vector<AssignMeta> metas = gen_unified_asm_meta_flat(base, model);
    if (!metas.empty()) {
        const NcpIdent asm_node =
            make_asm_node_many(model, format("par_asm_{}", id), std::move(metas));
        get_ncp_node_mut(model, asm_node).fill_ext_node(base.triggers);
        const NcpIdent state = make_state_node(model, false, format("par_state_{}", id));
        get_ncp_node_mut(model, state).fill_ext_node(base.triggers);
        base.gen_nodes.push_back(state);
        s.state_node = state;
        cycles.push_back(get_ncp_node(model, state).get_cycle_used());
        assign_ncp_node(model, state, true, false);
        get_ncp_node_mut(model, asm_node).add_depend_node(state, std::nullopt);
        assign_asm_from_state_node(model, asm_node);
    }

    s.branch_wraps.clear();
    for (const FlowBlockIdent& child : sub_flows) {
        s.branch_wraps.push_back(summarize_block(model, child));
        cycles.push_back(s.branch_wraps.back().cycle());
    }

    s.cycle = 0;
    for (int32_t c : cycles) {
        if (c == IN_CONSIST_CYCLE_USED) {
            s.cycle = IN_CONSIST_CYCLE_USED;
            break;
        }
        s.cycle = std::max(s.cycle, c);
    }

    // The state node, then every branch's entries, shared with the branches.
    std::vector<NcpIdent> own;
    if (s.state_node) own.push_back(*s.state_node);
    std::vector<EntryList> nested;
    for (const NodeWrap& w : s.branch_wraps) nested.push_back(w.samples());
    const EntryList samples(std::move(own), std::move(nested));

    const std::vector<Candidate> cands = candidates(s);
    std::optional<NcpIdent> exit;
    if (s.no_sync) exit = exit_matching_cycle(cands, s.cycle);
    if (s.no_sync && !exit && cands.size() == 1) exit = any_exit(cands);
    if (s.no_sync && !exit) {
        // The first end must know when the block is entered: one entry node
        // starts every branch (and the start signal, if any, starts it).
        const NcpIdent entry = make_filled_node(
            model, base,
            make_pseudo_node(model, format("par_entry_{}", id), 1, LogicOp::BitwiseOr));
        if (base.triggers.int_start())
            get_ncp_node_mut(model, entry)
                .add_depend_node(*base.triggers.int_start(), std::nullopt);
        assign_ncp_node(model, entry, true, false);
        for (const NcpIdent& e : samples)
            get_ncp_node_mut(model, e).add_depend_node(entry, std::nullopt);
        exit = first_end_exit(model, base, id, entry, cands);
        s.exit_node = exit;
        carry_joins_left_running(model, base);
        for (const NcpIdent& e : samples) assign_ncp_node(model, e, false, true);
        return NodeWrap({entry}, std::move(exit), s.cycle);
    }

    // All branches start when the start signal fires.
    if (base.triggers.int_start()) {
        const NcpIdent start = *base.triggers.int_start();
        for (const NcpIdent& e : samples)
            get_ncp_node_mut(model, e).add_depend_node(start, std::nullopt);
    }
    if (!s.no_sync) {
        if (s.cycle == IN_CONSIST_CYCLE_USED && cands.size() >= 2) {
            const NcpIdent join =
                make_syn_node(model, false, format("par_syn_{}", id), int32_t(cands.size()));
            feed_join(model, base, join, cands);
            s.sync_node = join;
            exit = join;
        }
        if (!exit) exit = exit_matching_cycle(cands, s.cycle);
        if (!exit) {
            assert_eq(cands.size(), size_t(1), "parallel auto-sync cannot choose exit node");
            exit = any_exit(cands);
        }
    }
    return NodeWrap(samples, std::move(exit), s.cycle);
}

}  // namespace

void FlowBlockPar::build_hw_component(ModelArena& model) {
    built = build_par(schematic, base, model);
}

}  // namespace vorlent

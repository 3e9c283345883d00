// The parallel schematic: every branch starts when the block is entered; the
// block's own assignments form one more branch of one state. The exit is the
// slowest branch when all latencies are fixed, else a join: a sync node
// (auto-sync: all have ended) or an OR node (no-sync: one has ended).
#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/block_build.hpp"
#include "model/flow_block/par/flow_block_par.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

struct Candidate {
    NcpIdent exit;
    int32_t cycle;
};

// The state node (counted as one cycle whatever it reports), then each
// branch's exit with its latency.
std::vector<Candidate> candidates(const ParSchematic& s) {
    std::vector<Candidate> out;
    if (s.state_node) out.push_back({*s.state_node, 1});
    for (const NodeWrap& w : s.branch_wraps) out.push_back({w.exit(), w.cycle()});
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

// A join node fed by every candidate's exit, assigned at once.
void feed_join(ModelArena& model, FlowBlockBase& base, const NcpIdent& join,
               const std::vector<Candidate>& cands) {
    NcpNode& node = get_ncp_node_mut(model, join);
    node.fill_ext_node(base.triggers, false);
    for (const Candidate& c : cands) node.add_depend_node(c.exit, std::nullopt);
    base.gen_nodes.push_back(join);
    assign_ncp_node(model, join, true, true);
}

NodeWrap build_par(ParSchematic& s, FlowBlockBase& base, ModelArena& model) {
    if (base.basic_nodes.empty() && base.sub_blocks.empty()) fatal("parallel flow block has no element");
    if (!base.con_blocks.empty()) fatal("parallel flow block does not support con blocks");
    const uint64_t id = base.ident.global_id();
    const auto sub_flows = scan_sub_blocks_by_policy(base.sub_blocks).second;

    std::vector<int32_t> cycles;
    std::vector<AssignMeta> metas = gen_unified_asm_meta_flat(base, model);
    if (!metas.empty()) {
        const NcpIdent asm_node = make_asm_node_many(model, format("par_asm_{}", id), std::move(metas));
        get_ncp_node_mut(model, asm_node).fill_ext_node(base.triggers, false);
        const NcpIdent state = make_state_node(model, false, format("par_state_{}", id));
        get_ncp_node_mut(model, state).fill_ext_node(base.triggers, false);
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

    // All branches start when the start signal fires.
    if (base.triggers.int_start) {
        const NcpIdent start = *base.triggers.int_start;
        if (s.state_node) get_ncp_node_mut(model, *s.state_node).add_depend_node(start, std::nullopt);
        for (const NodeWrap& w : s.branch_wraps)
            for (const NcpIdent& entry : w.samples()) get_ncp_node_mut(model, entry).add_depend_node(start, std::nullopt);
    }

    const std::vector<Candidate> cands = candidates(s);
    std::optional<NcpIdent> exit;
    if (s.no_sync) {
        exit = exit_matching_cycle(cands, s.cycle);
        if (!exit && cands.size() == 1) exit = any_exit(cands);
        if (!exit) {
            const NcpIdent join = make_pseudo_node(model, "par_no_sync_exit", 1, LogicOp::BitwiseOr);
            feed_join(model, base, join, cands);
            s.exit_node = join;
            exit = join;
        }
    } else {
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

    std::vector<NcpIdent> samples;
    if (s.state_node) samples.push_back(*s.state_node);
    for (const NodeWrap& w : s.branch_wraps) samples.insert(samples.end(), w.samples().begin(), w.samples().end());
    return NodeWrap(std::move(samples), std::move(exit), s.cycle);
}

}  // namespace

void FlowBlockPar::build_hw_component(ModelArena& model) { built = build_par(schematic, base, model); }

}  // namespace vorlent

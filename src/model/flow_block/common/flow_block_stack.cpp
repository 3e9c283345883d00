#include "model/flow_block/common/flow_block_stack.hpp"

#include <algorithm>

#include "model/common/draw_id_by_take.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"

namespace vorlent {

namespace {

// The module whose behaviour is being described: the one a block closed at
// the bottom of the stack joins.
ModuleIdent flow_traced_module(const ModelArena& model) {
    const ModuleTraceEntry& traced = module_trace_top(model);
    assert_eq(
        traced.stage, ModuleInitStage::FlowBlockInit,
        format("finalize_flow_block: expected FlowBlockInit stage on module trace stack, got {}",
               debug_repr(traced.stage)));
    return traced.module;
}

// Whether finalize_flow_block hands `block` to the module: it is the bottom
// entry and does not stay lazily closed itself, and either it is the only
// entry or the one level above it (when not recursive) closes into it rather
// than turning lazy. A block is on the stack once at most.
bool closes_into_module(const std::vector<FlowBlockStackEntry>& stack, const FlowBlockIdent& block,
                        bool recursive) {
    const auto stays_lazy = [](const FlowBlockStackEntry& e) {
        return e.status == BlockTrackStatus::Open && e.block.chain_master;
    };
    if (stack.empty() || !(stack.front().block == block) || stays_lazy(stack.front())) return false;
    if (stack.size() == 1) return true;
    return !recursive && stack.size() == 2 && !stays_lazy(stack.back());
}

// What finalize_flow_block closes without a mismatch: the block on top, or
// the one below it when the top closes on the way (a lazily closed head, or
// an open block that is no chain head: an open head would only turn lazy and
// stay on top).
bool closes_cleanly(const std::vector<FlowBlockStackEntry>& stack, const FlowBlockIdent& block) {
    const size_t n = stack.size();
    if (n == 0) return false;
    const FlowBlockStackEntry& top = stack.back();
    if (top.block == block) return true;
    return n >= 2 && stack[n - 2].block == block &&
           !(top.status == BlockTrackStatus::Open && top.block.chain_master);
}

// Why `block` cannot be closed now, and which block can: the innermost open
// one. Put together only for a refusal.
ErrorText not_closable(const ModelArena& model, const FlowBlockIdent& block) {
    const auto& stack = model.flow_block_stack;
    const auto innermost_open = std::find_if(stack.rbegin(), stack.rend(), [](const auto& e) {
        return e.status == BlockTrackStatus::Open;
    });
    const auto entry = std::find_if(stack.rbegin(), stack.rend(),
                                    [&](const auto& e) { return e.block == block; });
    std::string_view state = "is not open (it is closed already)";
    if (!get_flow_block(model, block).get_base().opened)
        state = "is not open (it was never opened)";
    else if (entry != stack.rend() && entry->status == BlockTrackStatus::Open)
        state = "is not the innermost open block";
    const std::string now =
        innermost_open == stack.rend()
            ? std::string("no block is open now")
            : format("the block open now is \"{}\" (blocks are closed innermost first)",
                     innermost_open->block.abs_name());
    return ErrorText::value(
        format("finalize_flow_block: flow block \"{}\" {}; {}", block.abs_name(), state, now));
}

// A chain's head kind and the continuation kind it takes, with the factory
// names a caller knows them by.
struct ChainKind {
    FlowBlockType head, branch;
    std::string_view heads, branches;
};
constexpr ChainKind CHAIN_KINDS[] = {
    {FlowBlockType::CondIf, FlowBlockType::CondElif, "cif or sif", "cselif or cselse"},
    {FlowBlockType::ZeroCondIf, FlowBlockType::ZeroCondElif, "zif", "zelif or zelse"},
};

template <FlowBlockType ChainKind::*Field>
const ChainKind& chain_kind(FlowBlockType t) {
    for (const ChainKind& k : CHAIN_KINDS)
        if (k.*Field == t) return k;
    fatal(format("chain_kind: {} is no chain kind", debug_repr(t)));
}

// An else: a continuation without a condition, the last branch of its chain.
bool is_else(const ModelArena& model, const FlowBlockIdent& branch) {
    if (branch.block_type == FlowBlockType::ZeroCondElif)
        return !model.get<FlowBlockZeroCondElif>(branch).cond;
    return !model.get<FlowBlockCondElif>(branch).cond;
}

// Why continuation `block` cannot be opened now. It goes right above a
// lazily closed head of its own kind whose chain has no else yet: that head
// takes it when it is closed. Anywhere else no head takes it: at the bottom
// it would join the module as a block of its own, run whatever the
// conditions before it; in a block, or after an else, it would reach a block
// or a build that has no place for it. Reads in place: refusing draws no id.
CheckResult check_continues_a_chain(const ModelArena& model, const FlowBlockIdent& block) {
    const ChainKind& kind = chain_kind<&ChainKind::branch>(block.block_type);
    const auto refused = [&](const std::string& why) {
        return ErrorText::value(format("initialize_flow_block: flow block \"{}\" continues a "
                                       "chain, but {}",
                                       block.abs_name(), why));
    };
    const auto& stack = model.flow_block_stack;
    if (stack.empty() || stack.back().status != BlockTrackStatus::LazyClosed)
        return refused(format(
            "no chain head waits for it (a {} is opened right after its {}, or the branch "
            "before it, is closed; an assignment or another block in between ends the chain)",
            kind.branches, kind.heads));
    const FlowBlockIdent& head = stack.back().block;
    if (head.block_type != kind.head)
        return refused(format("the chain head waiting is \"{}\", which takes a {} (a {} continues "
                              "a {})",
                              head.abs_name(),
                              chain_kind<&ChainKind::head>(head.block_type).branches,
                              kind.branches, kind.heads));
    const auto& branches = get_flow_block(model, head).get_base().con_blocks;
    if (!branches.empty() && is_else(model, branches.back()))
        return refused(format("the chain of \"{}\" ended with its else \"{}\" (an else is the "
                              "last branch of its chain)",
                              head.abs_name(), branches.back().abs_name()));
    return std::nullopt;
}

// A zync reads as a plain wait for its grant, but its build has to make
// something happen in the granted cycle: one that holds nothing, with no
// block above it to close into it, is refused while it is still open.
CheckResult check_zync_holds_something(const ModelArena& model, const FlowBlockIdent& block) {
    if (block.block_type != FlowBlockType::Zync) return std::nullopt;
    if (!(model.flow_block_stack.back().block == block)) return std::nullopt;
    const FlowBlockBase& base = get_flow_block(model, block).get_base();
    if (!base.basic_nodes.empty() || !base.sub_blocks.empty()) return std::nullopt;
    return ErrorText::value(
        format("finalize_flow_block: zync flow block \"{}\" holds nothing; a zync makes at least "
               "one assignment in the cycle it is granted, so describe one in it (an assignment, "
               "a Karray write, a zif chain or a zstate) and close it again",
               block.abs_name()));
}

// Closes `block`, which is on top, or below a top that closes on the way
// (first, recursively). A chain head still open turns lazy and stays.
void close_block(ModelArena& model, const FlowBlockIdent& block, bool recursive) {
    auto& stack = model.flow_block_stack;
    if (stack.empty()) fatal("flow block stack is empty");
    // Refused for the tracing stage before anything moves.
    if (closes_into_module(stack, block, recursive)) flow_traced_module(model);
    if (!(stack.back().block == block)) {
        if (recursive)
            fatal("finalize_flow_block: recursive finalize must not mismatch the expected block");
        const FlowBlockIdent top = stack.back().block;
        close_block(model, top, true);
    }
    if (stack.empty()) fatal("flow block stack is empty");
    const FlowBlockStackEntry popped = stack.back();
    stack.pop_back();
    assert_eq(popped.block, block,
              "finalize_flow_block: ident mismatch \u2014 wrong block finalized");

    if (popped.status == BlockTrackStatus::Open && block.chain_master) {
        stack.push_back(FlowBlockStackEntry{block, BlockTrackStatus::LazyClosed});
        return;
    }
    if (!stack.empty()) {
        draw_id_by_take(take_flow_block(model, stack.back().block), [&](FlowBlock& parent) {
            if (block.join_policy == FlowBlockJoinPolicy::ConFlow)
                parent.add_con_flow_block(block);
            else
                parent.add_sub_flow_block(block);
        });
        return;
    }
    auto module = model.take<Module>(flow_traced_module(model));
    module->flow_blocks.push_back(block);
    module.put_back();
}

}  // namespace

CheckResult initialize_flow_block(ModelArena& model, const FlowBlockIdent& block) {
    // Refused before a lazily closed head is closed: nothing has changed yet.
    // A continuation closes no head: its check only reads.
    if (get_flow_block(model, block).get_base().opened)
        return ErrorText::value(
            format("initialize_flow_block: flow block \"{}\" was already opened; a block is opened "
                   "and closed once, so make a new block for more behaviour",
                   block.abs_name()));
    auto& stack = model.flow_block_stack;
    if (block.join_policy == FlowBlockJoinPolicy::ConFlow) {
        if (auto err = check_continues_a_chain(model, block)) return err;
    } else if (!stack.empty() && stack.back().status == BlockTrackStatus::LazyClosed) {
        const FlowBlockIdent head = stack.back().block;
        close_block(model, head, false);
    }
    model.flow_block_stack.push_back(FlowBlockStackEntry{block, BlockTrackStatus::Open});
    checked_mut_flow_block(model, block).get_base_mut().opened = true;
    return std::nullopt;
}

CheckResult finalize_flow_block(ModelArena& model, const FlowBlockIdent& block, bool recursive) {
    // Refused before anything moves: closed anyway, the block would find
    // another on the stack where it expects itself, after the blocks above it
    // were closed into their parents.
    if (!recursive) {
        if (!closes_cleanly(model.flow_block_stack, block)) return not_closable(model, block);
        if (auto err = check_zync_holds_something(model, block)) return err;
    }
    close_block(model, block, recursive);
    return std::nullopt;
}

void finalize_flow_procedure(ModelArena& model) {
    const auto& stack = model.flow_block_stack;
    if (stack.size() >= 2)
        fatal(format("finalize_flow_procedure: flow block stack must have 0 or 1 element, got {}",
                     stack.size()));
    if (stack.size() == 1) {
        if (stack.back().status == BlockTrackStatus::Open)
            fatal(
                "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open");
        const FlowBlockIdent head = stack.back().block;
        close_block(model, head, false);
    }
}

void close_lone_head_in_component_phase(ModelArena& model) {
    auto& stack = model.flow_block_stack;
    if (stack.size() != 1 || stack.back().status != BlockTrackStatus::LazyClosed) return;
    const ModuleTraceEntry& traced = module_trace_top(model);
    if (traced.stage != ModuleInitStage::CompInit) return;
    model.checked_mut<Module>(traced.module).flow_blocks.push_back(stack.back().block);
    stack.pop_back();
}

CheckResult check_block_opens_in_flow_phase(const ModelArena& model, std::string_view where) {
    const auto& trace = model.module_trace_stack;
    if (trace.empty())
        return ErrorText::value(
            format("{}: no module is tracked; flow blocks are described in a module's behaviour "
                   "phase, so call track_module_at_flow_init first",
                   where));
    const ModuleTraceEntry& traced = trace.back();
    if (traced.stage != ModuleInitStage::CompInit) return std::nullopt;
    return ErrorText::value(
        format("{}: module \"{}\" is tracked for its components (track_module_at_com_init); "
               "flow blocks are described in its behaviour phase, so call "
               "untrack_module_at_com_init, then track_module_at_flow_init first",
               where, traced.module.abs_name()));
}

CheckResult check_loose_assignment_has_top(const ModelArena& model, std::string_view where) {
    if (model.top_module) return std::nullopt;
    const auto& stack = model.flow_block_stack;
    const bool loose =
        stack.empty() || (stack.size() == 1 && stack.back().status == BlockTrackStatus::LazyClosed);
    if (!loose) return std::nullopt;
    return ErrorText::value(
        format("{}: no flow block is open, so this is a loose assignment of the top module, and no "
               "top module is set; call set_top_module first",
               where));
}

void attach_basic_node_to_current_scope(ModelArena& model, const NcpIdent& node) {
    auto& stack = model.flow_block_stack;
    if (!stack.empty() && stack.back().status == BlockTrackStatus::LazyClosed) {
        const FlowBlockIdent head = stack.back().block;
        close_block(model, head, false);
    }
    if (!model.flow_block_stack.empty()) {
        draw_id_by_take(take_flow_block(model, model.flow_block_stack.back().block),
                        [&](FlowBlock& block) { block.add_element_in_flow_block(node); });
        return;
    }
    if (!model.top_module) fatal("add_basic_node_to_top_module: no top module set");
    model.checked_mut<Module>(*model.top_module).basic_nodes.push_back(node);
}

FlowBlockType get_last_skeleton_flow_block_type(const ModelArena& model) {
    const auto& stack = model.flow_block_stack;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        const FlowBlockType t = it->block.block_type;
        if (t == FlowBlockType::Sequential || t == FlowBlockType::Parallel) return t;
    }
    return FlowBlockType::Parallel;
}

CheckResult check_flow_block_prefinalize(ModelArena& model, const FlowBlockIdent& block) {
    return draw_id_by_take(take_flow_block(model, block),
                           [](FlowBlock& b) { return b.check_prefinalize(); });
}

}  // namespace vorlent

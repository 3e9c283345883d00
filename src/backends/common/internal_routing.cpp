#include "backends/common/internal_routing.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "backends/common/graph.hpp"
#include "backends/common/io_op.hpp"
#include "common/interrupt.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// Calls `f` with each kind whose reads are routed (hcp_reads_routed), in tag order.
template <class F>
void for_each_routed_kind(F&& f) {
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k)
        if (hcp_reads_routed(HwComponentType(k))) f(HwComponentType(k));
}

std::vector<HcpIdent> routed_components(const Module& m) {
    std::vector<HcpIdent> out;
    size_t n = 0;
    for_each_routed_kind([&](HwComponentType t) { n += m.hcps_of(t).size(); });
    out.reserve(n);
    for_each_routed_kind([&](HwComponentType t) {
        const HcpsOfKind of_kind = m.hcps_of(t);
        out.insert(out.end(), of_kind.begin(), of_kind.end());
    });
    return out;
}

// Routes the reads of one pass through the top module's tree. A source's
// wires form one chain from its module up to where its readers' paths meet
// it, and one tree of IN wires down to them; each route climbs only as far
// as that chain and tree do not reach yet, so every module on a signal's
// path is climbed through once, not once for every reader below it. The
// wires made and reused, and the order in which they are made, are those of
// a route up from both ends to their lowest common ancestor.
class ReadRouter {
public:
    ReadRouter(ModelArena& model, const ModuleTree& tree) : model_(model), tree_(tree) {}

    // The signal that stands for `dep` inside `reader`.
    HcpIdent route(const ModuleIdent& reader, const HcpIdent& dep);

    // Hands what the routes gathered to the model, to be freed with it. The
    // router itself is not kept: it refers to the caller's tree, which is
    // gone by then.
    void keep_gathered_until_freed() {
        model_.keep_until_freed(std::move(wires_));
        model_.keep_until_freed(std::move(sources_));
        model_.keep_until_freed(std::move(on_climb_));
    }

private:
    // The modules from the source's own upwards, as far as a route has
    // needed them; the first `out_wired` of them hold its OUT wire.
    struct SourceClimb {
        std::vector<ModuleIdent> up;
        size_t out_wired = 0;
    };
    struct ClimbKey {
        uint64_t src;
        size_t module;
        friend bool operator==(const ClimbKey&, const ClimbKey&) = default;
    };
    struct ClimbKeyHash {
        size_t operator()(const ClimbKey& k) const noexcept {
            return std::hash<uint64_t>{}(k.src) ^ (k.module * 0x9E3779B97F4A7C15u);
        }
    };

    // Climbs the source's modules up to the depth of `level`.
    void climb_source_to(SourceClimb& src, uint64_t src_id, const ModuleIdent& level);
    // One hop: the wire of `module` that already carries `dep` in this
    // direction, or a new one fed by `cur` (made_hop: known to be missing).
    HcpIdent hop(const ModuleIdent& module, const HcpIdent& dep, const HcpIdent& cur,
                 bool is_input);
    HcpIdent made_hop(const ModuleIdent& module, const HcpIdent& dep, const HcpIdent& cur,
                      bool is_input);

    ModelArena& model_;
    const ModuleTree& tree_;
    IoWireIndex wires_;
    std::unordered_map<uint64_t, SourceClimb> sources_;            // by the source's global id
    std::unordered_map<ClimbKey, size_t, ClimbKeyHash> on_climb_;  // position in `up`
};

void ReadRouter::climb_source_to(SourceClimb& src, uint64_t src_id, const ModuleIdent& level) {
    const uint32_t depth = tree_.depth(level);
    while (tree_.depth(src.up.back()) > depth) {
        const ModuleIdent& parent = tree_.parent(src.up.back());
        on_climb_.emplace(ClimbKey{src_id, parent.handle().index}, src.up.size());
        src.up.push_back(parent);
    }
}

HcpIdent ReadRouter::route(const ModuleIdent& reader, const HcpIdent& dep) {
    const uint64_t id = dep.global_id();
    SourceClimb& src = sources_[id];
    if (src.up.empty()) {
        // The tree holds every module whose signals it reads: emit refuses
        // a read from outside it first (check_tree_self_contained).
        src.up.push_back(tree_.at(dep.module_handle()));
        on_climb_.emplace(ClimbKey{id, src.up.front().handle().index}, 0);
    }

    // Up from the reader to the first module that is the source's or one of
    // its ancestors (the common ancestor), or that the source already enters.
    std::vector<ModuleIdent> down;  // the reader upwards: each gets an IN wire
    std::optional<HcpIdent> cur;    // what feeds the topmost of them
    size_t ancestor = 0;            // the common ancestor's position in src.up
    ModuleIdent at = reader;
    while (true) {
        // A module of the source's depth is its ancestor exactly when the
        // source's climb meets it there; at the top module it always does.
        climb_source_to(src, id, at);
        if (auto it = on_climb_.find(ClimbKey{id, at.handle().index}); it != on_climb_.end()) {
            ancestor = it->second;
            break;
        }
        // An IN wire here means the whole way above is routed.
        if ((cur = wires_.find(model_, at, dep, true))) break;
        down.push_back(at);
        at = tree_.parent(at);
    }
    if (!cur) {
        // Out of the source's module and every module above it below the
        // ancestor; the part a route has made before is reused as it is.
        const size_t from = std::min(src.out_wired, ancestor);
        cur = dep;
        if (from > 0) cur = wires_.find(model_, src.up[from - 1], dep, false);
        if (!cur) fatal("route_io_base: an OUT wire of the source's chain is missing");
        for (size_t i = from; i < ancestor; ++i) cur = hop(src.up[i], dep, *cur, false);
        src.out_wired = std::max(src.out_wired, ancestor);
    }
    // Into the topmost module below and down to the reader: the climb found
    // no IN wire there.
    for (auto it = down.rbegin(); it != down.rend(); ++it) cur = made_hop(*it, dep, *cur, true);
    return *cur;
}

HcpIdent ReadRouter::hop(const ModuleIdent& module, const HcpIdent& dep, const HcpIdent& cur,
                         bool is_input) {
    if (auto reused = wires_.find(model_, module, dep, is_input)) return *reused;
    return made_hop(module, dep, cur, is_input);
}

HcpIdent ReadRouter::made_hop(const ModuleIdent& module, const HcpIdent& dep, const HcpIdent& cur,
                              bool is_input) {
    const HcpIdent wire =
        make_io_wire(model_, module, is_input ? IO_DIR_IN : IO_DIR_OUT, dep.abs_name(), is_input,
                     signal_width(model_, cur), cur, dep);
    wires_.add(module, dep, is_input, wire);
    return wire;
}

// Routes the gathered reads of every module, in the order gathered.
void route_tree(ModelArena& model, std::vector<ModuleReads>& tree, ReadRouter& router) {
    InterruptPoll poll;
    for (ModuleReads& reads : tree) {
        const ModuleIdent& module = reads.module;
        // Sorted by global id: the hash order must not decide which wire is
        // made first, since each wire's id is part of its name.
        std::vector<HcpIdent> sorted(reads.deps.begin(), reads.deps.end());
        std::sort(sorted.begin(), sorted.end(), [](const HcpIdent& a, const HcpIdent& b) {
            return a.global_id() < b.global_id();
        });
        HcpMap remap;
        for (const HcpIdent& dep : sorted) {
            poll.tick();
            remap.emplace(dep, router.route(module, dep));
        }
        // Nothing read here lives in another module: there is nothing to rename.
        if (remap.empty()) continue;

        // Routing added IO wires only, so these are the readers gathered.
        for (const HcpIdent& r : routed_components(model.get<Module>(module))) {
            poll.tick();
            auto hcp = take_hcp(model, r);
            hcp->remap_dep_hcps(remap, model);
            hcp.put_back();
        }
    }
}

}  // namespace

ModuleReads gather_module_reads(ModelArena& model, const ModuleIdent& module) {
    // Reads of the module's own components need no wire: the set leaves them out.
    ModuleReads reads{module, HcpSet::outside_of(module.handle())};
    // Read in place: taking the components leaves the module's lists alone.
    const Module& m = model.get<Module>(module);
    InterruptPoll poll;
    for_each_routed_kind([&](HwComponentType t) {
        for (const HcpIdent& r : m.hcps_of(t)) {
            poll.tick();
            auto hcp = take_hcp(model, r);
            hcp->gather_dep_hcps(reads.deps, model);
            hcp.put_back();
        }
    });
    return reads;
}

std::vector<ModuleReads> gather_tree_reads(ModelArena& model, const ModuleTree& tree) {
    std::vector<ModuleReads> out;
    out.reserve(tree.modules().size());
    for (const ModuleIdent& module : tree.modules()) {
        check_interrupt();
        out.push_back(gather_module_reads(model, module));
    }
    return out;
}

namespace {

// What a module outside the top module's tree holds that the design would
// lose without a word, since the module gets no file and is never built:
// behaviour, a port, or an assignment that the tree's behaviour made into one
// of its components.
std::optional<std::string> left_out_of_tree(const ModelArena& model, const Module& m) {
    if (!m.flow_blocks.empty() || !m.basic_nodes.empty()) return "its flow blocks";
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k) {
        for (const HcpIdent& h : m.hcps_of(HwComponentType(k))) {
            const HcpAssignable& c = get_hcp_assign(model, h);
            if (c.is_marked_as_io()) return format("the port marked on \"{}\"", h.abs_name());
            if (!c.get_update_pool().events.empty())
                return format("the assignments to \"{}\"", h.abs_name());
        }
    }
    return std::nullopt;
}

std::string quoted_module(const ModuleIdent& m) {
    return format("\"{}\" (id {})", m.abs_name(), m.global_id());
}

// Why `module`, which is not in the top module's tree, is left out, said of
// `subject` (the module), and what to do instead. A module joins the
// sub-modules of the module tracked when its component phase ends
// (untrack_module_at_com_init); the parent recorded when it was made
// (mk_module) decides nothing. The modules that list `module` lead up to one
// that no module lists, and the step that left that one out is named: its
// component phase ended with no module tracked, is still open, or never ran.
std::string why_outside_tree(const ModelArena& model, const ModuleTree& tree,
                             const ModuleIdent& module, std::string_view subject) {
    const ArenaGroup<Module>& modules = model.arena<Module>();
    std::vector<std::optional<size_t>> lister(modules.size());
    for (size_t slot = 0; slot < modules.size(); ++slot)
        for (const ModuleIdent& sub : modules.get(ArenaHandle{slot, 0}).sub_modules)
            if (!lister[sub.handle().index]) lister[sub.handle().index] = slot;
    size_t root = module.handle().index;
    std::vector<bool> seen(modules.size());
    while (lister[root] && !seen[root]) {
        seen[root] = true;
        root = *lister[root];
    }
    const Module& r = modules.get(ArenaHandle{root, 0});
    std::string out =
        root == module.handle().index
            ? std::string(subject)
            : format("{} is under module {}, which", subject, quoted_module(r.ident));
    if (lister[root])
        return out + " is listed only by itself or modules under it (its component phase "
                     "ended while it was tracked a second time), so no module of the tree lists "
                     "it";
    const ArenaHandle parent_h = r.ident.master_module_handle;
    if (parent_h.is_null())
        return out + format(" was made while no module was tracked and joined no module's "
                            "sub-modules; make {} with mk_module while its parent module is "
                            "tracked (track_module_at_com_init), or set the root of the design "
                            "as the top module",
                            quoted_module(r.ident));
    const ModuleIdent& parent = modules.get(parent_h).ident;
    out += format(" was made while module {} was tracked, but ", quoted_module(parent));
    const bool open = std::any_of(
        model.module_trace_stack.begin(), model.module_trace_stack.end(),
        [&](const ModuleTraceEntry& e) {
            return e.stage == ModuleInitStage::CompInit && e.module.handle().index == root;
        });
    if (r.com_phase_ended_alone)
        out += "its component phase ended (untrack_module_at_com_init) after that module was "
               "untracked, with no module tracked, so it joined no module's sub-modules; end it "
               "while that module is tracked";
    else if (open)
        out += "its component phase (track_module_at_com_init) never ended; end it "
               "(untrack_module_at_com_init) while that module is tracked, which makes it that "
               "module's sub-module";
    else
        out += "its component phase never ran; track it (track_module_at_com_init) and untrack "
               "it (untrack_module_at_com_init) while that module is tracked, which makes it "
               "that module's sub-module";
    if (!tree.contains(parent_h))
        out += "; that module is not in the top module's tree either";
    return out;
}

struct Binding {
    FlowBlockIdent block;
    CcpIdent ccp;
};

// The first block of the tree, by kind and then in the order made, that
// binds a complex component of a module outside the tree: build_flow builds
// only the tree's, so what the block waits on (an arbiter's grants) would be
// made nowhere. The blocks build_flow built are the tree's.
std::optional<Binding> binding_outside(const ModelArena& model, const ModuleTree& tree) {
    std::optional<Binding> found;
    KindRecords<FlowBlockType>::for_each([&]<class T>(std::type_identity<T>) {
        if constexpr (requires(const T& b) { b.for_each_bound_ccp([](const CcpIdent&) {}); }) {
            const ArenaGroup<T>& blocks = model.arena<T>();
            for (size_t slot = 0; slot < blocks.size() && !found; ++slot) {
                const T& b = blocks.get(ArenaHandle{slot, 0});
                if (!b.built) continue;
                b.for_each_bound_ccp([&](const CcpIdent& ccp) {
                    if (!found && !tree.contains(ccp.module_ident.handle()))
                        found = Binding{b.base.ident, ccp};
                });
            }
        }
    });
    return found;
}

}  // namespace

CheckResult check_tree_self_contained(const ModelArena& model, const ModuleTree& tree,
                                      const std::vector<ModuleReads>& reads) {
    for (const ModuleReads& reader : reads) {
        // The lowest id first, so the text does not depend on the hash order.
        std::optional<HcpIdent> outside;
        for (const HcpIdent& dep : reader.deps)
            if (!tree.contains(dep.module_handle()) &&
                (!outside || dep.global_id() < outside->global_id()))
                outside = dep;
        if (!outside) continue;
        const ModuleIdent& owner = module_ident_of(model, *outside);
        return ErrorText::value(format(
            "BackendVerilog::emit: module \"{}\" (id {}) reads \"{}\" of module \"{}\" (id {}), "
            "which is not in the top module's tree and gets no file; {}",
            reader.module.abs_name(), reader.module.global_id(), outside->abs_name(),
            owner.abs_name(), owner.global_id(), why_outside_tree(model, tree, owner, "it")));
    }
    if (const std::optional<Binding> bound = binding_outside(model, tree)) {
        const ModuleIdent& owner = bound->ccp.module_ident;
        return ErrorText::value(format(
            "BackendVerilog::emit: flow block \"{}\" (id {}) binds \"{}\" of module \"{}\" "
            "(id {}), which is not in the top module's tree, so build_flow never built it and "
            "the block would wait for its grant for ever; that module{}",
            bound->block.abs_name(), bound->block.global_id(), bound->ccp.abs_name(),
            owner.abs_name(), owner.global_id(), why_outside_tree(model, tree, owner, "")));
    }
    // The modules outside, in the order they were made.
    const ArenaGroup<Module>& modules = model.arena<Module>();
    for (size_t slot = 0; slot < modules.size(); ++slot) {
        if (tree.contains(ArenaHandle{slot, 0})) continue;
        const Module& m = modules.get(ArenaHandle{slot, 0});
        const std::optional<std::string> lost = left_out_of_tree(model, m);
        if (!lost) continue;
        return ErrorText::value(format(
            "BackendVerilog::emit: module \"{}\" (id {}) is not in the top module's tree and gets "
            "no file, so {} would be lost; {}",
            m.ident.abs_name(), m.ident.global_id(), *lost,
            why_outside_tree(model, tree, m.ident, "it")));
    }
    return std::nullopt;
}

void route_and_remap_io_model(ModelArena& model) {
    if (!model.top_module) fatal("route_and_remap_io_model: no top module set");
    const ModuleTree tree(model, *model.top_module);
    route_and_remap_io_model(model, tree, gather_tree_reads(model, tree));
}

void route_and_remap_io_model(ModelArena& model, const ModuleTree& tree,
                              std::vector<ModuleReads> tree_reads) {
    ReadRouter router(model, tree);
    try {
        route_tree(model, tree_reads, router);
    } catch (...) {
        // A routing that stopped is never resumed (the backend refuses to
        // emit again), so its work is only freed, and later.
        model.keep_until_freed(std::move(tree_reads));
        router.keep_gathered_until_freed();
        throw;
    }
}

}  // namespace vorlent

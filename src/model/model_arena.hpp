// The whole model: one typed arena per element kind, the module trace stack,
// the pending component list, the flow-block stack and the top module.
// Operations on the model are free functions grouped by family in the
// arena_factory_* (make elements) and arena_impl_* (operate on them) files of
// each subsystem.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "common/arena_base.hpp"
#include "model/common/kind_list.hpp"
#include "model/complex_hardware/common/ccp_kinds.hpp"
#include "model/flow_block/common/flow_block_kinds.hpp"
#include "model/hw_component/hcp_kinds.hpp"
#include "model/hw_component/update_event/ue_kinds.hpp"
#include "model/module/module.hpp"
#include "model/nodes/node_kinds.hpp"
#include "model/stack_entries.hpp"

namespace vorlent {

// Every element kind of the model: the families' lists and the modules.
using ModelKinds =
    ConcatLists<KindRecords<HwComponentType>, KindRecords<UeType>, KindRecords<NodeType>,
                KindRecords<CcpType>, TypeList<Module>, KindRecords<FlowBlockType>>;

template <class T>
using ArenaGroupOf = ArenaGroup<T>;

// How far build_flow got on a model: not run, started (and, seen after the
// call, stopped before the end), or complete.
enum class FlowBuild : uint8_t { NotStarted, Started, Complete };

class ModelArena {
public:
    // An empty model; draws no global id and leaves the priority state alone.
    ModelArena() = default;
    ModelArena(ModelArena&&) = default;
    ModelArena& operator=(ModelArena&&) = default;
    ModelArena(const ModelArena&) = delete;
    ModelArena& operator=(const ModelArena&) = delete;

    // The arena of element kind T.
    template <class T>
    ArenaGroup<T>& arena() {
        return std::get<ArenaGroup<T>>(arenas_);
    }
    template <class T>
    const ArenaGroup<T>& arena() const {
        return std::get<ArenaGroup<T>>(arenas_);
    }

    // Takes the element named by an identity out of the arena of kind T.
    template <class T, class Ident>
    Taken<T> take(const Ident& ident) {
        return arena<T>().take(ident.handle(), ident.global_id());
    }
    // The element in place, with the checks of `take` (see checked_mut).
    template <class T, class Ident>
    T& checked_mut(const Ident& ident) {
        return arena<T>().checked_mut(ident.handle(), ident.global_id());
    }
    // The element in place, with the checks of `take` (the slot holds the
    // element the identity names); reading draws no id.
    template <class T, class Ident>
    const T& get(const Ident& ident) const {
        return arena<T>().get(ident.handle(), ident.global_id());
    }
    template <class T, class Ident>
    T& get_mut(const Ident& ident) {
        return arena<T>().get_mut(ident.handle(), ident.global_id());
    }

    // The store of the names of this model's identities: elements made while
    // it is current (NameStoreScope) keep their names there, and it lives as
    // long as the model's content, or longer for a holder of the pointer.
    NameStore* name_store() const { return names_.get(); }
    const std::shared_ptr<NameStore>& name_store_shared() const { return names_; }

    // Working state of the description calls.
    std::vector<ModuleTraceEntry> module_trace_stack;
    // A deque: a deep block parks all it makes here before it is filed, and
    // growing a vector of that length would be one long uninterruptible copy.
    std::deque<PendingHcp> pending_hcps;
    std::vector<FlowBlockStackEntry> flow_block_stack;
    std::optional<ModuleIdent> top_module;
    // How far build_flow got. Once it has started, behaviour described later
    // would never reach the Verilog; a build that stopped (a fatal error, an
    // interrupt) stays Started and leaves a half-built model, which is never
    // written.
    FlowBuild flow_build = FlowBuild::NotStarted;
    // Whether a register was ever marked as an input port. Until one is, no
    // write into a register can be one the port overrides, so the check that
    // every assignment runs (check_not_input_port) reads no record for it.
    bool input_port_regs = false;
    // Kept while build_flow runs, freed when it completes; a build that
    // stopped leaves it, and the components it had parked, for the model's
    // end (build_flow.cpp says why).
    AtOnceRegions at_once_regions;

    // What a stopped call had gathered for its own work, handed over as it
    // unwinds and freed with the model: for a large design, freeing it at
    // once would hold up a Ctrl-C for about as long as it took to gather.
    template <class T>
    void keep_until_freed(T&& work) {
        stopped_work_.push_back(std::make_shared<std::decay_t<T>>(std::forward<T>(work)));
    }

private:
    std::vector<std::shared_ptr<void>> stopped_work_;
    std::shared_ptr<NameStore> names_ = std::make_shared<NameStore>();
    ModelKinds::map<ArenaGroupOf>::apply<std::tuple> arenas_;
};

inline NameStore* name_store_of(const ModelArena& model) { return model.name_store(); }

}  // namespace vorlent

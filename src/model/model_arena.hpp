// The whole model: one typed arena per element kind, the module trace stack,
// the pending component list, the flow-block stack and the top module.
// Operations on the model are free functions grouped by family in the
// arena_factory_* (make elements) and arena_impl_* (operate on them) files of
// each subsystem.
#pragma once

#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "common/arena_base.hpp"
#include "model/complex_hardware/arb/arb.hpp"
#include "model/complex_hardware/dyn_counter/dyn_counter.hpp"
#include "model/complex_hardware/karray/karray.hpp"
#include "model/flow_block/cond/flow_block_cond.hpp"
#include "model/flow_block/cond/flow_block_pick.hpp"
#include "model/flow_block/cond/flow_block_zero_cond.hpp"
#include "model/flow_block/loops/flow_block_loops.hpp"
#include "model/flow_block/par/flow_block_par.hpp"
#include "model/flow_block/pipeline/flow_block_pip.hpp"
#include "model/flow_block/seq/flow_block_seq.hpp"
#include "model/flow_block/wait/flow_block_wait.hpp"
#include "model/flow_block/zync/flow_block_zync.hpp"
#include "model/hw_component/expression.hpp"
#include "model/hw_component/io_wire.hpp"
#include "model/hw_component/mem_blk.hpp"
#include "model/hw_component/mem_ele.hpp"
#include "model/hw_component/reg.hpp"
#include "model/hw_component/sp_reg/cnt_reg.hpp"
#include "model/hw_component/sp_reg/cond_wait_reg.hpp"
#include "model/hw_component/sp_reg/cycle_wait_reg.hpp"
#include "model/hw_component/sp_reg/state_reg.hpp"
#include "model/hw_component/sp_reg/sync_reg.hpp"
#include "model/hw_component/update_event/ue_basic.hpp"
#include "model/hw_component/update_event/ue_cond.hpp"
#include "model/hw_component/update_event/ue_grp.hpp"
#include "model/hw_component/update_event/ue_switch.hpp"
#include "model/hw_component/val.hpp"
#include "model/hw_component/wire.hpp"
#include "model/module/module.hpp"
#include "model/nodes/asm_node.hpp"
#include "model/nodes/counter_node.hpp"
#include "model/nodes/opr_node.hpp"
#include "model/nodes/pseudo_node.hpp"
#include "model/nodes/start_node.hpp"
#include "model/nodes/state_node.hpp"
#include "model/nodes/syn_node.hpp"
#include "model/nodes/wait_cond_node.hpp"
#include "model/nodes/wait_cycle_node.hpp"

namespace vorlent {

struct PendingHcp {
    HcpIdent ident;
    bool is_user_com;
};

struct ModuleTraceEntry {
    ModuleIdent module;
    ModuleInitStage stage;
};

struct FlowBlockStackEntry {
    FlowBlockIdent block;
    BlockTrackStatus status;
};

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
    std::vector<PendingHcp> pending_hcps;
    std::vector<FlowBlockStackEntry> flow_block_stack;
    std::optional<ModuleIdent> top_module;
    // Set when build_flow starts lowering the description: behaviour
    // described after that would never reach the Verilog.
    bool flow_built = false;

private:
    std::shared_ptr<NameStore> names_ = std::make_shared<NameStore>();
    std::tuple<
        // hardware components
        ArenaGroup<Reg>, ArenaGroup<Wire>, ArenaGroup<IoWire>, ArenaGroup<Val>,
        ArenaGroup<MemEle>, ArenaGroup<MemBlk>, ArenaGroup<Expression>, ArenaGroup<StateReg>,
        ArenaGroup<SyncReg>, ArenaGroup<CntReg>, ArenaGroup<CondWaitStateReg>,
        ArenaGroup<CycleWaitStateReg>,
        // update events
        ArenaGroup<UeBasic>, ArenaGroup<UeGrp>, ArenaGroup<UeCond>, ArenaGroup<UeSwitch>,
        // control nodes
        ArenaGroup<AsmNode>, ArenaGroup<StartNode>, ArenaGroup<StateNode>, ArenaGroup<SynNode>,
        ArenaGroup<WaitCondNode>, ArenaGroup<WaitCycleNode>, ArenaGroup<CounterNode>,
        ArenaGroup<PseudoNode>, ArenaGroup<OprNode>,
        // complex components
        ArenaGroup<Arb>, ArenaGroup<Karray>, ArenaGroup<DynCounter>,
        // modules
        ArenaGroup<Module>,
        // flow blocks
        ArenaGroup<FlowBlockSeq>, ArenaGroup<FlowBlockPar>, ArenaGroup<FlowBlockCond>,
        ArenaGroup<FlowBlockCondElif>, ArenaGroup<FlowBlockZeroCondIf>,
        ArenaGroup<FlowBlockZeroCondElif>, ArenaGroup<FlowBlockZeroSwitch>,
        ArenaGroup<FlowBlockZeroSwitchCase>, ArenaGroup<FlowBlockPick>, ArenaGroup<FlowBlockPickIf>,
        ArenaGroup<FlowBlockWhile>, ArenaGroup<FlowBlockDoWhile>, ArenaGroup<FlowBlockCounterLoop>,
        ArenaGroup<FlowBlockWait>, ArenaGroup<FlowBlockPip>, ArenaGroup<FlowBlockZync>>
        arenas_;
};

inline NameStore* name_store_of(const ModelArena& model) { return model.name_store(); }

}  // namespace vorlent

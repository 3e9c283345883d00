// The interfaces of every control node kind.
//
// HasNodeTriggerSig is the trigger set: the dependency edges and the
// control inputs hold, int_reset, mrst and clk, each naming the node whose
// exit operand drives it. A kind supplies the set; the accessors
// are written once here. The operand node has no trigger set and refuses
// every accessor.
//
// NcpNode adds what every kind answers (identity, clock mode, its two
// assignment phases, latency) and the lowering steps they share: resolving
// the exit operands named in the trigger set into the TriggerSig of the
// node's special register, and binding a raw output with the node's
// internal reset and hold into its exit operand. Operations a kind does not
// provide stop with "{op}: not implemented".
//
// A node taken out of its arena (take_ncp_node) goes back through the guard
// (put_back), which plays the part of replace_back_into_arena.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/sp_reg/trigger_sig.hpp"
#include "model/nodes/ncp_ident.hpp"
#include "model/nodes/node_triggers.hpp"

namespace vorlent {

class ModelArena;

class HasNodeTriggerSig {
public:
    virtual ~HasNodeTriggerSig() = default;

    virtual const NodeTriggers& get_node_triggers() const = 0;
    virtual NodeTriggers& get_node_triggers_mut() = 0;

    std::optional<NcpIdent> get_hold_node() const { return get_node_triggers().hold(); }
    std::optional<NcpIdent> get_int_reset_node() const { return get_node_triggers().int_reset(); }
    std::optional<NcpIdent> get_mrst_node() const { return get_node_triggers().mrst(); }
    std::optional<NcpIdent> get_clk_node() const { return get_node_triggers().clk(); }

    // Each replaces its input; an absent node clears it.
    void set_hold_node(std::optional<NcpIdent> n) {
        get_node_triggers_mut().set_hold(std::move(n));
    }
    void set_int_reset_node(std::optional<NcpIdent> n) {
        get_node_triggers_mut().set_int_reset(std::move(n));
    }
    void set_mrst_node(std::optional<NcpIdent> n) {
        get_node_triggers_mut().set_mrst(std::move(n));
    }
    void set_clk_node(std::optional<NcpIdent> n) { get_node_triggers_mut().set_clk(std::move(n)); }

    // Appends the edge as given: duplicates and the node itself are accepted.
    void add_depend_node(const NcpIdent& node, std::optional<HcpIdent> guard) {
        get_node_triggers_mut().depend_nodes.push_back(DependEdge{node, std::move(guard)});
    }

    // Copies hold, int_reset, mrst and clk of a block's trigger set into
    // this node, absent inputs included. The dependency edges stay. A
    // block's int_start reaches its entry nodes as a dependency edge, never
    // as the node's own input, so a node's int_start stays absent.
    void fill_ext_node(const NodeTriggers& ext);
};

class NcpNode : public HasNodeTriggerSig {
public:
    virtual NcpIdent get_ncp_ident() const = 0;
    virtual ClockMode get_clock_mode() const = 0;
    virtual NodeType get_node_type() const { return get_ncp_ident().node_type; }

    // The preliminary phase makes what successors read (the exit operand);
    // the final phase consumes what the trigger set provides.
    virtual void assign_prelim(ModelArena& model) = 0;
    virtual void assign_final(ModelArena& model) = 0;

    // The 1-bit signal through which the node signals that its step is done.
    virtual HcpIdent get_exit_opr() const;
    // The signal that is 1 while the node's state is active, before reset
    // and hold binding.
    virtual HcpIdent get_state_operating() const;
    // Latency in cycles; -1 when it is not fixed.
    virtual int32_t get_cycle_used() const = 0;
    // Whether a firing of a depend edge reaches the exit operand in the same
    // cycle, without a clock edge between (a combinational join).
    virtual bool exit_follows_depends_at_once() const { return false; }
    virtual void dry_assign(ModelArena& model);
    virtual bool is_state_full_node() const { return true; }

    // "{NODE_TYPE} @ 0x{address}".
    std::string get_md_ident_val() const;

    // The exit operand of `node` seen from this node: its own when `node` is
    // this node (which may be out of its arena), else looked up.
    HcpIdent resolve_node_exit_opr(const ModelArena& model, const NcpIdent& node) const;
    // Writes hold, int_reset, mrst and clk of `sig` from the trigger set.
    void init_ctrl_sigs(TriggerSig& sig, const ModelArena& model) const;
    // The complete TriggerSig: controls in the order hold, int_reset, mrst,
    // clk, then one dependency per edge in edge order. Widths are the
    // register's to check.
    TriggerSig to_trigger_sig(const ModelArena& model) const;

    // raw AND NOT (exit of the int_reset node), as the new expressions
    // "node_int_inv" and "node_bind_rst"; `raw` itself without one.
    HcpIdent bind_with_rst_output_if_reset(ModelArena& model, const HcpIdent& raw) const;
    // x AND NOT (exit of the hold node), as "node_hold_inv" and
    // "node_bind_hold"; `x` itself without one.
    HcpIdent bind_with_hold_if_hold(ModelArena& model, const HcpIdent& x) const;

protected:
    // The exit of a bound kind: raw, cut by the internal reset, then by the hold.
    HcpIdent bind_exit(ModelArena& model, const HcpIdent& raw) const {
        return bind_with_hold_if_hold(model, bind_with_rst_output_if_reset(model, raw));
    }
    // -1 when hold or int_reset is set, else `fixed`.
    int32_t cycle_unless_controlled(int32_t fixed) const;
};

// The data and arena plumbing of every kind that keeps a trigger set.
class NcpNodeRecord : public NcpNode {
public:
    NodeTriggers triggers;
    NcpIdent ident;

    const NodeTriggers& get_node_triggers() const final { return triggers; }
    NodeTriggers& get_node_triggers_mut() final { return triggers; }
    NcpIdent get_ncp_ident() const final { return ident; }

    // What the arena needs of an element kind (see arena_base.hpp).
    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }

protected:
    NcpNodeRecord() = default;
    explicit NcpNodeRecord(NcpIdent id) : ident(std::move(id)) {}
    // A kind's default element: a fresh identity with an empty name (one
    // global id).
    template <class Kind>
    static Kind default_of(NodeType node_type) {
        Kind e;
        e.ident = NcpIdent::make(node_type, false, "");
        return e;
    }
    NcpNodeRecord(const NcpNodeRecord&) = default;
    NcpNodeRecord(NcpNodeRecord&&) = default;
    NcpNodeRecord& operator=(const NcpNodeRecord&) = default;
    NcpNodeRecord& operator=(NcpNodeRecord&&) = default;
};

// "{op}: not implemented", the refusal of an operation a kind lacks.
[[noreturn]] void fatal_not_implemented(std::string_view op);

}  // namespace vorlent

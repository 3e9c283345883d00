// The three interfaces through which every hardware-component kind takes part
// in identity, assignment and dependency tracking. Each kind supplies its
// identity, its assignable state and the three per-kind answers (clock mode,
// whole range, priority); everything else is a default written once here, and
// a kind overrides only where it refuses or differs.
//
// Operations that need the model take it last; the component itself may be
// out of its arena while they run (taken by take_hcp), so they never look the
// component up by its own identity.
#pragma once

#include <optional>
#include <string>

#include "model/common/identifier.hpp"
#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"
#include "model/hw_component/common/hcp_assign.hpp"
#include "model/hw_component/common/hcp_dep.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

class ModelArena;

class HcpIdentifiable : public Identifiable {
public:
    virtual const HcpIdent& get_ident_ref() const = 0;
    virtual HcpIdent& get_ident_mut() = 0;

    const IdentBase& get_ident_base() const final { return get_ident_ref().ident_base; }
    IdentBase& get_ident_base_mut() final { return get_ident_mut().ident_base; }

    const IdentBase& get_iden_base() const { return get_ident_ref().ident_base; }
    IdentBase& get_iden_base_mut() { return get_ident_mut().ident_base; }
    HcpIdent get_ident() const { return get_ident_ref(); }
    void set_arena_handler(ArenaHandle h) { get_ident_mut().ident_base.set_arena_handle(h); }
};

class HcpAssignable : public HcpIdentifiable {
public:
    virtual const HcpAssign& get_hcp_assign() const = 0;
    virtual HcpAssign& get_hcp_assign_mut() = 0;

    // Per kind: the clock mode of its assignments, its whole range, and the
    // priority its assignments take (the thread's current one, or fixed).
    virtual ClockMode retrieve_clk_mode() const = 0;
    virtual Slice get_des_slice() const = 0;
    virtual int32_t get_priority() const = 0;

    // A user assignment into this component; by default gen_asm_node.
    virtual NcpIdent do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                            int32_t src_stop, ModelArena& model);

    // A bare basic event of `src_slice` of `src` into `des_slice` (or the
    // whole component), not pooled; the widths must agree. The first takes
    // this kind's priority and clock mode.
    virtual UpdateEventIdent gen_update_event(const HcpIdent& src, std::optional<Slice> des_slice,
                                              Slice src_slice, ModelArena& model);
    virtual UpdateEventIdent gen_update_event_with_pri(const HcpIdent& src,
                                                       std::optional<Slice> des_slice,
                                                       Slice src_slice, int32_t priority,
                                                       ClockMode clk_mode, ModelArena& model);

    // The AssignMeta of one assignment: a new basic event at this kind's
    // priority and clock mode, not pooled. A present `des_slice` is used as
    // given.
    virtual AssignMeta gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice,
                                    int32_t src_start, int32_t src_stop, ModelArena& model);

    // gen_asm_meta wrapped in a new assignment node "{abs name}_asm".
    NcpIdent gen_asm_node(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                          int32_t src_stop, ModelArena& model);

    // Puts a basic event straight into the pool, with no assignment node:
    // priority 50 and clock-free unless given; an edge-clocked one needs
    // `clk_src`.
    virtual void bind_src(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                          int32_t src_stop, std::optional<int32_t> priority,
                          std::optional<ClockMode> clk_mode, std::optional<HcpIdent> clk_src,
                          ModelArena& model);

    void add_update_event(UpdateEventIdent ue) {
        get_hcp_assign_mut().update_pool.add_update_event(std::move(ue));
    }
    const UpdatePool& get_update_pool() const { return get_hcp_assign().update_pool; }
    void sort_events(const ModelArena& model) {
        get_hcp_assign_mut().update_pool.sort_events(model);
    }

    // The IO mark; a new mark replaces the old one.
    void mark_as_io(bool is_input, std::string io_name) {
        get_hcp_assign_mut().io_mark =
            std::make_unique<const IoMark>(IoMark{std::move(io_name), is_input});
    }
    bool is_marked_as_io() const { return get_hcp_assign().io_mark != nullptr; }
    std::optional<IoMark> get_io_mark() const {
        const auto& mark = get_hcp_assign().io_mark;
        return mark ? std::optional<IoMark>(*mark) : std::nullopt;
    }

protected:
    // The destination range of an assignment: the slice as given, else the
    // whole component.
    Slice des_range_or_whole(const std::optional<Slice>& des_slice) const {
        return des_slice ? *des_slice : get_des_slice();
    }
};

class HcpBase : public HcpAssignable {
public:
    // Adds every component this one reads; by default the reads of every
    // event in its pool.
    virtual void gather_dep_hcps(HcpSet& set, ModelArena& model);
    // Renames every read that is a key of `map`; by default through the pool.
    virtual void remap_dep_hcps(const HcpMap& map, ModelArena& model);
};

// The refusal of a source whose width differs from the destination range.
[[noreturn]] void fatal_size_not_in_range();

// Stops with fatal_size_not_in_range() unless the two half-open ranges have
// the same width.
void check_range_fits(int32_t des_start, int32_t des_stop, int32_t src_start, int32_t src_stop);

}  // namespace vorlent

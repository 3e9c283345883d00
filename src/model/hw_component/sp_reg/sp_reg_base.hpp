// What the five special registers share: they are clocked on the positive
// edge, their assignments take the internal priority 50, and each holds the
// TriggerSig its control node hands it before it builds its own events.
//
// The register builds its support signals and events while it is out of its
// arena (its node took it out), so nothing here reads the register's width
// through the arena: ranges of the register itself are always passed
// explicitly.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/common/hcp_record.hpp"
#include "model/hw_component/sp_reg/trigger_sig.hpp"

namespace vorlent {

// Where a special register's own events start. A pool sorts its events by
// ascending priority and they are written in that order, so of two events
// that fire in the same cycle the higher one wins. Each register ranks its
// events upward from here, one step apart: above every user assignment,
// below the master reset (DEFAULT_UE_PRI_RST), which wins over all of them.
inline constexpr int32_t SP_REG_PRI_LOWEST = DEFAULT_UE_PRI_INTERNAL_MIN;

class SpRegBase : public HcpRecord {
public:
    // Replaced wholesale by the owning node before the events are built.
    TriggerSig trigger_sig;

    ClockMode retrieve_clk_mode() const final { return ClockMode::PosEdge; }
    int32_t get_priority() const final { return DEFAULT_UE_PRI_INTERNAL_MIN; }

protected:
    using HcpRecord::HcpRecord;
    SpRegBase() = default;

    // "{abs name}{suffix}": the support signals are named after the
    // register's absolute name.
    std::string support_name(std::string_view suffix) const;

    // Appends to the own pool one event made by make_ue_full: `des` of the
    // register takes `src_range` of `src` at `priority` (a register's own
    // rank from SP_REG_PRI_LOWEST, or DEFAULT_UE_PRI_RST), PosEdge on
    // the trigger clock, while `en` (AND `dis`, when both are given) is 1.
    void append_event(ModelArena& model, std::optional<HcpIdent> en, std::optional<HcpIdent> dis,
                      const HcpIdent& src, Slice des, Slice src_range, int32_t priority);
    // append_event enabled by one trigger control alone, over the whole
    // `range`, when the trigger has that control.
    void append_on_control(ModelArena& model, const std::optional<HcpIdent>& control,
                           const HcpIdent& src, Slice range, int32_t priority);
    // One such event per dependency of the trigger, in list order, enabled
    // by its signal AND its guard.
    void append_on_depends(ModelArena& model, const HcpIdent& src, Slice range, int32_t priority);
};

// The refusal of a special register that is driven only by its own events.
[[noreturn]] void refuse_sp_reg_do_asm(std::string_view kind);

// floor(log2(x)) in double precision, truncated towards zero and clamped to
// the i32 range; a NaN gives 0. The register widths are derived from it.
int32_t floor_log2_i32(double x);

// "build_support_signal must be called first" unless the signal exists.
const HcpIdent& require_support_signal(const OptIdent<HcpIdent>& sig);

}  // namespace vorlent

// Making update events. Each factory inserts the new event into its arena
// and returns its identity; none adds it to a pool.
//
// The only clock rule here is that a clock-free event has no clock source.
// An edge-clocked event may be made without one: the node layer sets the
// source afterwards, and AssignMeta enforces it when a condition is applied.
#pragma once

#include <optional>

#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"
#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

class ModelArena;

// A basic event: destination bits `des` take source bits `src_range`. With
// `use_cur_pri` the priority is the calling thread's current assignment
// priority instead of `priority`.
UpdateEventIdent make_ue_basic(ModelArena& model, const HcpIdent& src, Slice des, Slice src_range,
                               int32_t priority, ClockMode clk_mode, bool use_cur_pri,
                               std::optional<HcpIdent> clk_src);

// A basic event, wrapped by make_ue_add_dis when either condition is present.
UpdateEventIdent make_ue_full(ModelArena& model, std::optional<HcpIdent> en,
                              std::optional<HcpIdent> dis, const HcpIdent& src, Slice des,
                              Slice src_range, int32_t priority, ClockMode clk_mode,
                              bool use_cur_pri, std::optional<HcpIdent> clk_src);

// A one-branch conditional event around `ue` that keeps its priority, clock
// mode and clock source. The condition is `en`, `dis`, or with both a new
// expression "cond_dis_expr" (bit 0 of `en` AND bit 0 of `dis`).
UpdateEventIdent make_ue_add_dis(ModelArena& model, std::optional<HcpIdent> en,
                                 std::optional<HcpIdent> dis, const UpdateEventIdent& ue);

// if (cond) left else right. Both must be ClkUnused and of equal priority.
UpdateEventIdent make_ue_mux(ModelArena& model, const UpdateEventIdent& left,
                             const UpdateEventIdent& right, std::optional<HcpIdent> cond);

}  // namespace vorlent

// The join register of a synchronising node: one bit slot per predecessor.
// A slot latches its predecessor's firing; the join ends in the first cycle
// in which every slot is latched or firing now, and then clears itself.
//
// A deferred slot is seen only once latched, never through the test wire:
// its predecessor may fire in the very cycle its branch is (re)started, and
// that start may be caused by this join's end, so reading it at once would
// close a combinational loop. Such a slot also latches in the cycle the join
// ends: a firing then belongs to the activation that starts in that cycle.
#pragma once

#include <vector>

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class SyncReg : public SpRegBase {
public:
    int32_t size = 0;  // the number of one-bit slots, and the width
    std::vector<bool> deferred;  // per slot; empty: none is

    // Support signals, absent until build_support_signal.
    std::optional<HcpIdent> up_state;      // "{}_UP_STATE": 1 (1 bit)
    std::optional<HcpIdent> up_full;       // "{}_UP_FULL": all ones
    std::optional<HcpIdent> down_full;     // "{}_DOWN_FULL": 0
    std::optional<HcpIdent> test_wire;     // "{}_TEST_WIRE": the slots firing this cycle
    std::optional<HcpIdent> end_expr;      // "{}_END_EXPR": (register OR test wire) == all ones
    std::optional<HcpIdent> end_expr_inv;  // "{}_END_EXPR_INV"

    SyncReg() = default;
    SyncReg(HcpIdent id, int32_t n, std::vector<bool> deferred_slots = {})
        : SpRegBase(std::move(id)), size(n), deferred(std::move(deferred_slots)) {}

    bool is_deferred(size_t slot) const { return slot < deferred.size() && deferred[slot]; }

    Slice get_des_slice() const override { return Slice{0, size}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("SyncReg");
    }

    void build_support_signal(ModelArena& model);
    // Clear after the end (50), kept while held (51), per predecessor k:
    // latch slot k unless the join ends now (53) and show it on the test
    // wire (53, clock-free); a deferred slot latches whenever its
    // predecessor fires and stays off the test wire. Then the fill check
    // (one predecessor per slot), clear on the internal (52) and master
    // reset (i32 max).
    void build_update_event(ModelArena& model);

    static SyncReg arena_default() { return SyncReg{}; }
};

}  // namespace vorlent

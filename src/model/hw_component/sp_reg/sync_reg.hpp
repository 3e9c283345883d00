// The join register of a synchronising node: one bit slot per predecessor.
// A slot latches its predecessor's firing; the join ends in the first cycle
// in which every slot is latched or firing now, and then clears itself.
//
// A joined block that is left running (by a no-sync par that ends first) may
// be entered again in the cycle its join ends. A predecessor that can end in
// its entry cycle then fires for the new run in the end cycle of the old one:
// a firing that finds its slot latched in the end cycle belongs to the next
// run, and carry_over keeps such a slot latched.
#pragma once

#include <vector>

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class SyncReg : public SpRegBase {
public:
    int32_t size = 0;  // the number of one-bit slots, and the width

    // Support signals, absent until build_support_signal.
    OptIdent<HcpIdent> up_state;      // "{}_UP_STATE": 1 (1 bit)
    OptIdent<HcpIdent> up_full;       // "{}_UP_FULL": all ones
    OptIdent<HcpIdent> down_full;     // "{}_DOWN_FULL": 0
    OptIdent<HcpIdent> test_wire;     // "{}_TEST_WIRE": the slots firing this cycle
    OptIdent<HcpIdent> end_expr;      // "{}_END_EXPR": (register OR test wire) == all ones
    OptIdent<HcpIdent> end_expr_inv;  // "{}_END_EXPR_INV"

    SyncReg() = default;
    SyncReg(HcpIdent id, int32_t n) : SpRegBase(std::move(id)), size(n) {}

    Slice get_des_slice() const override { return Slice{0, size}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("SyncReg");
    }

    void build_support_signal(ModelArena& model);
    // Clear after the end (50), kept while held (51), per predecessor k:
    // latch slot k unless the join ends now (53) and show it on the test
    // wire (53, clock-free); then the fill check (one predecessor per slot),
    // clear on the internal (52) and master reset (i32 max).
    void build_update_event(ModelArena& model);
    // After the events, once: for each slot k flagged in `carry`,
    // "{}_CARRY_{k}" (its predecessor fires AND slot k is latched) latches
    // slot k (53, above the clear). No flag set: no id drawn.
    void carry_over(ModelArena& model, const std::vector<bool>& carry);

    static SyncReg arena_default() { return SyncReg{}; }
};

}  // namespace vorlent

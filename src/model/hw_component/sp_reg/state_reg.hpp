// The 1-bit flag of a state of a generated state machine: 1 while the state
// is active.
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class StateReg : public SpRegBase {
public:
    // Constants "{name}_SET" (1) and "{name}_UNSET" (0), named after the
    // name given at creation, not the absolute name.
    HcpIdent set_val;
    HcpIdent unset_val;

    StateReg() = default;
    explicit StateReg(HcpIdent id) : SpRegBase(std::move(id)) {}

    // Makes the two constants (system-made, stamped), then the register's
    // identity; the register itself is not inserted.
    static StateReg make(ModelArena& model, bool is_user_com, std::string_view name);

    Slice get_des_slice() const override { return Slice{0, 1}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("StateReg");
    }

    // Appends the flag's events, built from `trigger_sig`: 0 by default (50),
    // kept while held (51), 1 when a predecessor fires (53), 0 on the
    // internal reset (52), 1 on the internal start (54), 0 on the master
    // reset (i32 max). Needs the clock.
    void build_update_event(ModelArena& model);

    static StateReg arena_default() { return StateReg{}; }
};

}  // namespace vorlent

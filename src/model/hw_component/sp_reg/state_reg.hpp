// The 1-bit flag of a state of a generated state machine.
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class StateReg : public SpRegBase {
public:
    StateReg() = default;
    explicit StateReg(HcpIdent id) : SpRegBase(std::move(id)) {}

    Slice get_des_slice() const override { return Slice{0, 1}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("StateReg");
    }

    static StateReg arena_default() { return StateReg{}; }
};

}  // namespace vorlent

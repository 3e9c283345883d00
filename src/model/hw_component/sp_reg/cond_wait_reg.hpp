// The 1-bit flag of a wait-until-condition state.
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class CondWaitStateReg : public SpRegBase {
public:
    CondWaitStateReg() = default;
    explicit CondWaitStateReg(HcpIdent id) : SpRegBase(std::move(id)) {}

    Slice get_des_slice() const override { return Slice{0, 1}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("CondWaitStateReg");
    }

    static CondWaitStateReg arena_default() { return CondWaitStateReg{}; }
};

}  // namespace vorlent

// The join register of a synchronising node: one bit per joined branch.
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class SyncReg : public SpRegBase {
public:
    int32_t size = 0;  // the number of one-bit slots, and the width

    SyncReg() = default;
    SyncReg(HcpIdent id, int32_t n) : SpRegBase(std::move(id)), size(n) {}

    Slice get_des_slice() const override { return Slice{0, size}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("SyncReg");
    }

    static SyncReg arena_default() { return SyncReg{}; }
};

}  // namespace vorlent

// The counter of a counter loop. Unlike the other special registers it also
// takes ordinary assignments (at priority 50).
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class CntReg : public SpRegBase {
public:
    int32_t width = 0;
    int32_t inc_val = 0;
    int32_t max_cycle = 0;

    CntReg() = default;
    CntReg(HcpIdent id, int32_t w, int32_t inc, int32_t max)
        : SpRegBase(std::move(id)), width(w), inc_val(inc), max_cycle(max) {}

    Slice get_des_slice() const override { return Slice{0, width}; }

    static CntReg arena_default() { return CntReg{}; }
};

}  // namespace vorlent

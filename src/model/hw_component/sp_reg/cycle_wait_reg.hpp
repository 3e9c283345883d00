// The counter of a wait-N-cycles state.
#pragma once

#include <optional>

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class CycleWaitStateReg : public SpRegBase {
public:
    std::optional<int32_t> wait_cycle;  // N
    int32_t w = 0;                      // floor(log2(2N + 1))
    int32_t width = 0;                  // w + 1

    CycleWaitStateReg() = default;
    CycleWaitStateReg(HcpIdent id, int32_t n, int32_t log_w)
        : SpRegBase(std::move(id)), wait_cycle(n), w(log_w), width(log_w + 1) {}

    Slice get_des_slice() const override { return Slice{0, width}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("CycleWaitStateReg");
    }

    static CycleWaitStateReg arena_default() { return CycleWaitStateReg{}; }
};

}  // namespace vorlent

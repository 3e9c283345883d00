// The counter of a wait-N-cycles state. 0 is idle; a start loads 3 and every
// active cycle adds 2 up to 2N + 1, the last active cycle, after which it
// returns to 0. Active counts are odd, so bit 0 is 1 exactly while waiting.
#pragma once

#include <optional>

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class CycleWaitStateReg : public SpRegBase {
public:
    HcpIdent end_cnt;                   // "{name}_END_CNT", made by the factory; no event reads it
    std::optional<int32_t> wait_cycle;  // N
    int32_t w = 0;                      // floor(log2(2N + 1))
    int32_t width = 0;                  // w + 1

    // Support signals, absent until build_support_signal.
    OptIdent<HcpIdent> idle_cnt;    // "{}_IDLE_CNT": 0
    OptIdent<HcpIdent> start_cnt;   // "{}_START_CNT": 3
    OptIdent<HcpIdent> inc_step;    // "{}_INC_STEP": 2
    OptIdent<HcpIdent> end_full;    // "{}_END_FULL": 2N + 1
    OptIdent<HcpIdent> is_active;   // "{}_IS_ACTIVE": register != idle
    OptIdent<HcpIdent> is_end;      // "{}_IS_END": register == end
    OptIdent<HcpIdent> is_not_end;  // "{}_IS_NOT_END": register != end
    OptIdent<HcpIdent> inc_cond;    // "{}_INC_COND": active AND not end
    OptIdent<HcpIdent> inc_expr;    // "{}_INC_EXPR": register + 2

    CycleWaitStateReg() = default;
    CycleWaitStateReg(HcpIdent id, int32_t n, int32_t log_w)
        : SpRegBase(std::move(id)), wait_cycle(n), w(log_w), width(log_w + 1) {}

    // w = floor(log2(2N + 1)), clamped to the i32 range (0 for a NaN).
    static int32_t log_width(int32_t wait_cycle);

    Slice get_des_slice() const override { return Slice{0, width}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("CycleWaitStateReg");
    }

    void build_support_signal(ModelArena& model);
    // Back to idle at the end (50), count on (51, bits [1, W) only), kept
    // while held (52), restart when a predecessor fires (54), idle on the
    // internal (53) and master reset (i32 max). The internal start is not
    // used.
    void build_update_event(ModelArena& model);

    static CycleWaitStateReg arena_default() { return CycleWaitStateReg{}; }
};

}  // namespace vorlent

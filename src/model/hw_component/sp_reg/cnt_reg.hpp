// The iteration counter behind a counter node: it counts predecessor
// firings from 0 and exposes "count == max_cycle - 1" as its end. Unlike the
// other special registers it also takes ordinary assignments (at priority
// 50).
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class CntReg : public SpRegBase {
public:
    int32_t width = 0;
    int32_t inc_val = 0;
    int32_t max_cycle = 0;

    // Support signals, absent until build_support_signal.
    OptIdent<HcpIdent> last_cycle;  // "{}_LAST_CYCLE": max_cycle - 1
    OptIdent<HcpIdent> zero;        // "{}_ZERO": 0
    OptIdent<HcpIdent> at_last;     // "{}_AT_LAST": register == last, the end expression
    OptIdent<HcpIdent> inc;         // "{}_INC": register + inc_val

    CntReg() = default;
    CntReg(HcpIdent id, int32_t w, int32_t inc, int32_t max)
        : SpRegBase(std::move(id)), width(w), inc_val(inc), max_cycle(max) {}

    // Checks max_cycle ("max_cycle must be positive", then "assertion
    // failed: max_number > 0") and inc_val ("inc_val must be positive")
    // before the identity is made; not inserted.
    static CntReg make(bool is_user_com, std::string_view name, int32_t inc_val, int32_t max_cycle);
    // ceil(log2(max_cycle)), but at least 1 bit: a count of one still needs
    // a register to exist in the output.
    static int32_t width_for(int32_t max_cycle);

    Slice get_des_slice() const override { return Slice{0, width}; }

    void build_support_signal(ModelArena& model);
    // "{}_AT_LAST"; "build_support_signal must be called before
    // generate_end_expr" before it exists.
    HcpIdent generate_end_expr() const;
    // +inc per firing predecessor (51), kept while held (52), 0 on the
    // internal reset (53), +inc on the internal start (54), 0 on the master
    // reset (i32 max). No default event: the count stays when nothing fires.
    void build_update_event(ModelArena& model);

    static CntReg arena_default() { return CntReg{}; }
};

}  // namespace vorlent

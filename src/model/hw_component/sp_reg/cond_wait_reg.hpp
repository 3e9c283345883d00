// The 1-bit flag of a wait-until-condition state: it rises when a
// predecessor fires and falls at the edge after the condition holds.
#pragma once

#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

class CondWaitStateReg : public SpRegBase {
public:
    HcpIdent cond;            // the waited signal
    uint32_t cond_start = 0;  // the bit range [cond_start, cond_stop) of it that is waited on
    uint32_t cond_stop = 0;

    // Support signals, absent until build_support_signal.
    OptIdent<HcpIdent> up_state;    // "{}_UP_STATE": 1
    OptIdent<HcpIdent> down_state;  // "{}_DOWN_STATE": 0
    OptIdent<HcpIdent> self_is_up;  // "{}_SELF_IS_UP": register == 1
    OptIdent<HcpIdent> end_expr;    // "{}_END_EXPR": register AND condition

    CondWaitStateReg() = default;
    explicit CondWaitStateReg(HcpIdent id) : SpRegBase(std::move(id)) {}
    CondWaitStateReg(HcpIdent id, HcpIdent c, uint32_t start, uint32_t stop)
        : SpRegBase(std::move(id)), cond(std::move(c)), cond_start(start), cond_stop(stop) {}

    Slice get_des_slice() const override { return Slice{0, 1}; }
    NcpIdent do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) override {
        refuse_sp_reg_do_asm("CondWaitStateReg");
    }

    void build_support_signal(ModelArena& model);
    // Falls when the condition holds while up (50), kept while held (51),
    // rises when a predecessor fires (53), falls on the internal (52) and
    // master reset (i32 max). The internal start is not used.
    void build_update_event(ModelArena& model);

    static CondWaitStateReg arena_default() { return CondWaitStateReg{}; }

private:
    // The bits of the condition that are waited on: the stored range when it
    // is a usable one, else the whole signal.
    Slice cond_range(const ModelArena& model) const;
};

}  // namespace vorlent

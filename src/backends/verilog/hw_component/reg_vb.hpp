// The emitter of the register-like kinds: user registers and wires, and the
// five special registers. Each is declared as a reg and written as one
// always block from its own update pool.
#pragma once

#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"
#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/hw_component/reg.hpp"
#include "model/hw_component/sp_reg/cnt_reg.hpp"
#include "model/hw_component/sp_reg/cond_wait_reg.hpp"
#include "model/hw_component/sp_reg/cycle_wait_reg.hpp"
#include "model/hw_component/sp_reg/state_reg.hpp"
#include "model/hw_component/sp_reg/sync_reg.hpp"
#include "model/hw_component/wire.hpp"

namespace vorlent {

class ModelArena;

// The bit width each kind is declared and written with; the two 1-bit state
// flags have no width field.
inline int64_t vb_width(const Reg& r) { return r.bit_width; }
inline int64_t vb_width(const Wire& w) { return w.bit_width; }
inline int64_t vb_width(const StateReg&) { return 1; }
inline int64_t vb_width(const CondWaitStateReg&) { return 1; }
inline int64_t vb_width(const CycleWaitStateReg& r) { return r.width; }
inline int64_t vb_width(const CntReg& r) { return r.width; }
inline int64_t vb_width(const SyncReg& r) { return r.size; }

// Declarations of reg-typed signals: "reg  " and the width prefix.
std::string reg_type_vb(int64_t width);
// "{type} {name};"
void write_plain_declaration(FileWriter& fw, std::string_view type, std::string_view name);
// The always block of a component's own pool under its name and width.
void write_own_always_block(const HcpRecord& rec, int64_t width, std::string_view name,
                            ModelArena& model, FileWriter& fw);

template <class T>
class RegLikeVb final : public HcpVbAdapter<HcpBaseVb, T> {
public:
    using HcpVbAdapter<HcpBaseVb, T>::HcpVbAdapter;
    using HcpVbAdapter<HcpBaseVb, T>::rec;

    std::string gen_type_vb() const override { return reg_type_vb(vb_width(rec())); }
    uint32_t amt_precedure_blk_vb() const override { return 1; }

    void gen_init_line_vb(uint32_t, ModelArena&, FileWriter& fw) override {
        write_plain_declaration(fw, gen_type_vb(), rec().ident.abs_name());
    }
    void gen_procedure_blk_vb(uint32_t, ModelArena& model, FileWriter& fw) override {
        write_own_always_block(rec(), vb_width(rec()), rec().ident.abs_name(), model, fw);
    }
};
// Every kind with a vb_width is written as a register.
template <class T>
requires requires(const T& r) { vb_width(r); }
struct VbEmitter<T> {
    using type = RegLikeVb<T>;
};

}  // namespace vorlent

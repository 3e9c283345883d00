// The emitter of a constant: a wire declared with its literal value.
#pragma once

#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"
#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

class ValVb final : public TakenVbAdapter<HcpBaseVb, Val> {
public:
    using TakenVbAdapter::TakenVbAdapter;

    std::string gen_type_vb() const override;
    std::string gen_var_name_vb() const override { return rec().ident.ident_base.get_abs_name(); }
    uint32_t amt_io_line_vb() const override { return 0; }
    uint32_t amt_init_line_vb() const override { return 1; }
    uint32_t amt_precedure_blk_vb() const override { return 0; }
    // "{type} {name} = {literal};"
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
};

}  // namespace vorlent

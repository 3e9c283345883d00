// The emitter of a constant: a wire declared with its literal value.
#pragma once

#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"
#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/hw_component/val.hpp"

namespace vorlent {

class ModelArena;

class ValVb final : public HcpVbAdapter<HcpBaseVb, Val> {
public:
    using HcpVbAdapter::HcpVbAdapter;

    std::string gen_type_vb() const override;
    uint32_t amt_io_line_vb() const override { return 0; }
    uint32_t amt_init_line_vb() const override { return 1; }
    uint32_t amt_precedure_blk_vb() const override { return 0; }
    // "{type} {name} = {literal};"
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
};
template <>
struct VbEmitter<Val> {
    using type = ValVb;
};

}  // namespace vorlent

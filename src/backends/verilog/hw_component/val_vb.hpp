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
    // "{type} {name} = {literal};"
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
};
template <>
struct VbEmitter<Val> {
    using type = ValVb;
};

}  // namespace vorlent

// The emitter of an expression: a wire with one continuous assignment built
// from its operation and operands.
#pragma once

#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"
#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/hw_component/expression.hpp"

namespace vorlent {

class ModelArena;

class ExpressionVb final : public HcpVbAdapter<HcpBaseVb, Expression> {
public:
    using HcpVbAdapter::HcpVbAdapter;

    std::string gen_type_vb() const override;
    uint32_t amt_precedure_blk_vb() const override { return 1; }
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
    // "assign {name} = {rhs};" An expression without its operands (or
    // without the second one its operation needs) writes nothing.
    void gen_procedure_blk_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
};
template <>
struct VbEmitter<Expression> {
    using type = ExpressionVb;
};

}  // namespace vorlent

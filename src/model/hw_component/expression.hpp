// A combinational expression over one or two operands (or, made empty, a
// placeholder that receives its source later). It is read, never assigned.
#pragma once

#include <optional>

#include "model/hw_component/common/hcp_record.hpp"
#include "model/hw_component/common/logic_op.hpp"

namespace vorlent {

class Expression : public HcpRecord {
public:
    uint32_t width = 0;
    bool initialised = false;  // set once the expression has its operands
    LogicOp op = LogicOp::BitwiseAnd;
    OptIdent<HcpIdent> operand_a;
    OptIdent<HcpIdent> operand_b;
    std::optional<Slice> range_a;  // the bits of each operand that are read
    std::optional<Slice> range_b;
    std::optional<uint32_t> constant;  // the target width of ExtendBit

    Expression() = default;
    Expression(HcpIdent id, uint32_t w) : HcpRecord(std::move(id)), width(w) {}

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    Slice get_des_slice() const override { return Slice{0, int32_t(width)}; }
    int32_t get_priority() const override;
    NcpIdent do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                    int32_t src_stop, ModelArena& model) override;

    // An expression reads its operands, not its pool.
    void gather_dep_hcps(HcpSet& set, ModelArena& model) override;
    void remap_dep_hcps(const HcpMap& map, ModelArena& model) override;

    static Expression arena_default() { return Expression{}; }
};

}  // namespace vorlent

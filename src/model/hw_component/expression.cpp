#include "model/hw_component/expression.hpp"

#include "model/controller/asm_mode.hpp"

namespace vorlent {

int32_t Expression::get_priority() const { return get_asm_pri_val(); }

NcpIdent Expression::do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) {
    fatal("Expression::do_asm \u2014 not implemented");
}

void Expression::gather_dep_hcps(HcpSet& set, ModelArena&) {
    if (operand_a) set.insert(*operand_a);
    if (operand_b) set.insert(*operand_b);
}

void Expression::remap_dep_hcps(const HcpMap& map, ModelArena&) {
    remap_hcp(operand_a, map);
    remap_hcp(operand_b, map);
}

}  // namespace vorlent

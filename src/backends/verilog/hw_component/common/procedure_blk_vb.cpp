#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"

#include "backends/verilog/arena_ext_vb.hpp"
#include "backends/verilog/hw_component/common/verilog_sensitivity.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

std::string fmt_operand(const HcpIdent& operand, const std::optional<Slice>& slice,
                        ModelArena& model, const VbDes& des) {
    std::string name;
    int64_t width;
    if (operand.global_id() == des.ident.global_id()) {
        name = std::string(des.name);
        width = des.width;
    } else {
        width = get_hcp_assign(model, operand).get_des_slice().size();
        name = hcp_verilog_name(model, operand);
    }
    if (width >= 2 && slice && slice->start >= 0)
        name.append(format("[{}:{}]", int64_t(slice->stop) - 1, slice->start));
    return name;
}

void gen_procedure_blk(const UpdatePool& pool, ModelArena& model, const VbDes& des,
                       FileWriter& fw) {
    gen_procedure_blk_with(pool, format("{}{DES_SLICE} <= {SRC};", des.name), model, des, fw);
}

void gen_procedure_blk_with(const UpdatePool& pool, std::string statement_template,
                            ModelArena& model, const VbDes& des, FileWriter& fw) {
    if (pool.events.empty()) return;
    // Only the first event decides the sensitivity.
    const UeCommon& first = get_ue_common(model, pool.events.front());
    const ClockMode mode = first.clk_mode;
    const std::optional<HcpIdent> clk_src = first.clk_src_i;
    std::optional<std::string> clk;
    if (clk_src) clk = fmt_operand(*clk_src, std::nullopt, model, des);
    const std::string sens =
        sensitivity_list(mode, clk ? std::optional<std::string_view>(*clk) : std::nullopt);

    fw.write(format("always @({}) begin\n", sens));
    const std::string templates[] = {std::move(statement_template)};
    for (const UpdateEventIdent& ue : pool.events) transpile_ue(model, ue, templates, 4, des, fw);
    fw.write("end\n");
}

}  // namespace vorlent

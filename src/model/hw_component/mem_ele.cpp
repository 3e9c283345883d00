#include "model/hw_component/mem_ele.hpp"

#include "model/controller/asm_mode.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

int32_t MemEle::get_priority() const { return get_asm_pri_val(); }

AssignMeta MemEle::gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice,
                                int32_t src_start, int32_t src_stop, ModelArena& model) {
    written = true;
    return HcpRecord::gen_asm_meta(src, des_slice, src_start, src_stop, model);
}

bool MemEle::is_input_port() const {
    const std::optional<IoMark> mark = get_io_mark();
    return !is_read && mark && mark->is_input;
}

void MemEle::gather_dep_hcps(HcpSet& set, ModelArena& model) {
    HcpRecord::gather_dep_hcps(set, model);
    if (!is_input_port()) return;
    // emit refuses a port of a model whose behaviour was never built, so
    // the top module has its clock by now.
    if (!model.top_module) fatal("MemEle::gather_dep_hcps: no top module set");
    const OptIdent<HcpIdent>& clk = model.get<Module>(*model.top_module).clk;
    if (!clk)
        fatal(format("MemEle {}: its input port needs the clock port that build_flow makes",
                     ident.abs_name()));
    port_clk = clk;
    set.insert(*clk);
}

void MemEle::remap_dep_hcps(const HcpMap& map, ModelArena& model) {
    HcpRecord::remap_dep_hcps(map, model);
    remap_hcp(port_clk, map);
}

void MemEle::bind_src(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                      int32_t src_stop, std::optional<int32_t> priority, std::optional<ClockMode>,
                      std::optional<HcpIdent>, ModelArena& model) {
    if (!port_clk)
        fatal(format("MemEle {}: a source is bound before its port's clock is gathered",
                     ident.abs_name()));
    HcpRecord::bind_src(src, des_slice, src_start, src_stop, priority, retrieve_clk_mode(),
                        *port_clk, model);
}

}  // namespace vorlent

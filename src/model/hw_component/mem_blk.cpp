#include "model/hw_component/mem_blk.hpp"

namespace vorlent {

namespace {
[[noreturn]] void refuse() { fatal("MemBlk is not an assignment destination"); }
}  // namespace

ClockMode MemBlk::retrieve_clk_mode() const { refuse(); }
Slice MemBlk::get_des_slice() const { refuse(); }
int32_t MemBlk::get_priority() const { refuse(); }

NcpIdent MemBlk::do_asm(const HcpIdent&, std::optional<Slice>, int32_t, int32_t, ModelArena&) {
    refuse();
}

UpdateEventIdent MemBlk::gen_update_event(const HcpIdent&, std::optional<Slice>, Slice,
                                          ModelArena&) {
    refuse();
}

UpdateEventIdent MemBlk::gen_update_event_with_pri(const HcpIdent&, std::optional<Slice>, Slice,
                                                   int32_t, ClockMode, ModelArena&) {
    refuse();
}

AssignMeta MemBlk::gen_asm_meta(const HcpIdent&, std::optional<Slice>, int32_t, int32_t,
                                ModelArena&) {
    refuse();
}

void MemBlk::bind_src(const HcpIdent&, std::optional<Slice>, int32_t, int32_t,
                      std::optional<int32_t>, std::optional<ClockMode> clk_mode,
                      std::optional<HcpIdent> clk_src, ModelArena&) {
    // The clock-source check comes first, as for every other kind.
    if (is_edge_clocked(clk_mode.value_or(ClockMode::ClkFree)) && !clk_src)
        fatal("no clk_src specified for binded source with posedge or negedge clk");
    refuse();
}

}  // namespace vorlent

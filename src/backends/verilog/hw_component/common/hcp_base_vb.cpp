#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"

#include "common/fatal.hpp"

namespace vorlent {

void HcpBaseVb::gen_io_line_vb(uint32_t, ModelArena&, FileWriter&) {
    fatal("gen_io_line_vb not implemented for this HCP type");
}

void HcpBaseVb::gen_procedure_blk_vb(uint32_t, ModelArena&, FileWriter&) {
    fatal("gen_procedure_blk_vb not implemented for this HCP type");
}

}  // namespace vorlent

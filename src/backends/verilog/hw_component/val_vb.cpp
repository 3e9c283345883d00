#include "backends/verilog/hw_component/val_vb.hpp"

#include "backends/verilog/hw_component/common/verilog_literal.hpp"

namespace vorlent {

std::string ValVb::gen_type_vb() const { return format("wire {}", width_prefix(rec().bit_width)); }

void ValVb::gen_init_line_vb(uint32_t, ModelArena&, FileWriter& fw) {
    fw.write(format("{} {} = {};", gen_type_vb(), rec().ident.abs_name(),
                    vary_val_to_verilog(rec().value)));
}

}  // namespace vorlent

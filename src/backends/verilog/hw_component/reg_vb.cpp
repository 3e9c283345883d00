#include "backends/verilog/hw_component/reg_vb.hpp"

#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "backends/verilog/hw_component/common/verilog_literal.hpp"

namespace vorlent {

std::string reg_type_vb(int64_t width) { return format("reg  {}", width_prefix(width)); }

void write_plain_declaration(FileWriter& fw, std::string_view type, std::string_view name) {
    fw.write(format("{} {};", type, name));
}

void write_own_always_block(const HcpRecord& rec, int64_t width, std::string_view name,
                            ModelArena& model, FileWriter& fw) {
    gen_procedure_blk(rec.get_update_pool(), model, VbDes{rec.ident, name, width, width}, fw);
}

}  // namespace vorlent

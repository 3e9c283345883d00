#include "backends/verilog/hw_component/mem_vb.hpp"

#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "backends/verilog/hw_component/common/verilog_literal.hpp"
#include "backends/verilog/hw_component/reg_vb.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

int64_t mem_last_address(int64_t index_width, std::string_view mem_name) {
    // 2^64 - 1 and beyond do not fit the signed 64-bit bound written, and a
    // shift by 64 or more is undefined.
    if (index_width < 0 || index_width > MEM_INDEX_WIDTH_MAX)
        fatal(format("MemBlk {}: index width {} gives no declarable depth (0 to {} address bits)",
                     mem_name, index_width, MEM_INDEX_WIDTH_MAX));
    return int64_t((uint64_t(1) << index_width) - 1);
}

std::string MemBlkVb::gen_type_vb() const {
    return format("reg {}", width_prefix(rec().bit_width));
}

void MemBlkVb::gen_init_line_vb(uint32_t, ModelArena&, FileWriter& fw) {
    const std::string_view name = rec().ident.abs_name();
    fw.write(
        format("{} {} [0:{}];", gen_type_vb(), name, mem_last_address(rec().index_width, name)));
}

std::string MemEleVb::gen_type_vb() const {
    return format("wire {}", width_prefix(rec().bit_width));
}

void MemEleVb::gen_init_line_vb(uint32_t, ModelArena&, FileWriter& fw) {
    write_plain_declaration(fw, gen_type_vb(), rec().ident.abs_name());
}

void MemEleVb::gen_procedure_blk_vb(uint32_t, ModelArena& model, FileWriter& fw) {
    const MemEle& e = rec();
    // Both names come from the identities the element holds.
    const std::string_view mem = e.master_mem_blk_i.abs_name();
    const std::string_view index = e.index_ident.abs_name();
    // An element narrower than the word is its low bits, named as such both
    // ways: a write of the word alone would clear the rest of it.
    const int64_t word = model.get<MemBlk>(e.master_mem_blk_i).bit_width;
    if (e.is_read) {
        const std::string bits = e.bit_width < word ? format("[{}:0]", e.bit_width - 1) : "";
        fw.write(format("assign {} = {}[{}]{};\n", e.ident.abs_name(), mem, index, bits));
        return;
    }
    gen_procedure_blk_with(e.get_update_pool(), format("{}[{}]{DES_SLICE} <= {SRC};", mem, index),
                           model, VbDes{e.ident, e.ident.abs_name(), e.bit_width, word}, fw);
}

}  // namespace vorlent

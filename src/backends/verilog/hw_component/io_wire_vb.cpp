#include "backends/verilog/hw_component/io_wire_vb.hpp"

#include "backends/verilog/arena_ext_vb.hpp"
#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "backends/verilog/hw_component/common/verilog_literal.hpp"
#include "backends/verilog/hw_component/reg_vb.hpp"

namespace vorlent {

std::string io_wire_var_name_vb(const IoWire& w) {
    return w.port_name ? *w.port_name : w.ident.ident_base.get_abs_name();
}

void gen_parent_net_line_vb(const IoWire& w, FileWriter& fw) {
    fw.write(format("wire {}{};", width_prefix(w.bit_width), io_wire_var_name_vb(w)));
}

std::string gen_agent_input_vb(const IoWire& w, ModelArena& model) {
    if (!w.is_input) fatal("gen_agent_input_vb called on output IoWire");
    if (!w.agent_src_signal_i) fatal("IoWire: agent_src_signal_i is None");
    return hcp_verilog_name(model, *w.agent_src_signal_i);
}

std::string IoWireVb::gen_type_vb() const { return reg_type_vb(rec().bit_width); }

void IoWireVb::gen_io_line_vb(uint32_t, ModelArena&, FileWriter& fw) {
    const IoWire& w = rec();
    fw.write(format("{} {} {}{}", w.is_input ? "input" : "output", w.is_input ? "wire" : "reg ",
                    width_prefix(w.bit_width), io_wire_var_name_vb(w)));
}

void IoWireVb::gen_init_line_vb(uint32_t, ModelArena&, FileWriter& fw) {
    write_plain_declaration(fw, gen_type_vb(), io_wire_var_name_vb(rec()));
}

void IoWireVb::gen_procedure_blk_vb(uint32_t, ModelArena& model, FileWriter& fw) {
    const IoWire& w = rec();
    if (w.is_input) return;
    write_own_always_block(w, w.bit_width, io_wire_var_name_vb(w), model, fw);
}

}  // namespace vorlent

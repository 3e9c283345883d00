// The emitter of an IO wire: a port of its module. An input is driven from
// the parent's instance of the module; an output is assigned from its agent
// source inside the module and seen in the parent through a wire of the same
// name.
#pragma once

#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"
#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/hw_component/io_wire.hpp"

namespace vorlent {

class ModelArena;

// The wire's Verilog name: its port name when set, else its absolute name.
std::string io_wire_var_name_vb(const IoWire& w);
// Declaration, in the parent module, of the net carrying an output port of a
// sub-module: "wire {W(width)}{name};", without line feed.
void gen_parent_net_line_vb(const IoWire& w, FileWriter& fw);
// The Verilog name of the parent-side signal that drives an input port.
// Stops with "gen_agent_input_vb called on output IoWire" or "IoWire:
// agent_src_signal_i is None".
std::string gen_agent_input_vb(const IoWire& w, ModelArena& model);

class IoWireVb final : public HcpVbAdapter<HcpBaseVb, IoWire> {
public:
    using HcpVbAdapter::HcpVbAdapter;

    std::string gen_type_vb() const override;
    std::string gen_var_name_vb() const override { return io_wire_var_name_vb(rec()); }
    uint32_t amt_io_line_vb() const override { return 1; }
    uint32_t amt_precedure_blk_vb() const override { return rec().is_input ? 0 : 1; }
    // "input wire {W}{name}" or "output reg  {W}{name}".
    void gen_io_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
    // An output port's always block. A port name, when set, is the name the
    // block assigns: the name the port line declares.
    void gen_procedure_blk_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;

    const IoWire& io_wire() const { return rec(); }
};
template <>
struct VbEmitter<IoWire> {
    using type = IoWireVb;
};

}  // namespace vorlent

#include "backends/verilog/module/module_vb.hpp"

#include "backends/common/graph.hpp"
#include "backends/verilog/hw_component/hcp_vb.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/module/build_flow.hpp"

namespace vorlent {

void init_module_vb(ModelArena& model, const ModuleIdent& module_i) {
    DfsModuleIter it(module_i);
    // In place: sorting reads the components, never the module again.
    while (auto next = it.next_module(model))
        sort_update_event_pool(model.get<Module>(*next), model);
}

namespace {

void section(FileWriter& fw, std::string_view title) {
    fw.write(format("    // ---- {} ----\n", title));
}

// Writes every part of one kind (declarations or procedure blocks) of a
// component, a line feed after each.
void write_parts(ModelArena& model, const HcpIdent& h, FileWriter& fw,
                 uint32_t (HcpBaseVb::*count)() const,
                 void (HcpBaseVb::*gen)(uint32_t, ModelArena&, FileWriter&)) {
    TakenHcpVb hcp = take_hcp_vb(model, h);
    HcpBaseVb& vb = *hcp;
    const uint32_t parts = (vb.*count)();
    for (uint32_t i = 0; i < parts; ++i) {
        (vb.*gen)(i, model, fw);
        fw.write("\n");
    }
    hcp.put_back();
}

void write_header_and_ports(const Module& module, ModelArena& model, FileWriter& fw) {
    fw.write(std::string(80, '/'));
    fw.write("\n");
    fw.write("// Phase 1 : module header & IO ports\n");
    fw.write(format("module {}(\n", module.ident.abs_name()));
    bool any = false;
    for (const HcpIdent& h : module.hcps_of(HwComponentType::IoWire)) {
        TakenHcpVb hcp = take_hcp_vb(model, h);
        const uint32_t lines = hcp->amt_io_line_vb();
        for (uint32_t i = 0; i < lines; ++i) {
            // The comma goes after every port line but the last.
            if (any) fw.write(",\n");
            fw.write("    ");
            hcp->gen_io_line_vb(i, model, fw);
            any = true;
        }
        hcp.put_back();
    }
    if (any) fw.write("\n");
    fw.write(");\n\n");
}

void write_declarations(const Module& module, ModelArena& model, FileWriter& fw) {
    section(fw, "Phase 2 : signal declarations (reg / wire / localparam / mem)");
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k) {
        const HwComponentType kind = HwComponentType(k);
        // IO wires are declared by their port lines.
        if (kind == HwComponentType::IoWire) continue;
        const HcpsOfKind of_kind = module.hcps_of(kind);
        if (of_kind.size() == 0) continue;
        section(fw, format("{} declarations", hw_type_display(kind)));
        for (const HcpIdent& h : of_kind)
            write_parts(model, h, fw, &HcpBaseVb::amt_init_line_vb, &HcpBaseVb::gen_init_line_vb);
    }
    fw.write("\n");
}

void write_sub_module_output_wires(const Module& module, ModelArena& model, FileWriter& fw) {
    section(fw, "Phase 2.5 : sub-module output wire declarations");
    // Sub-modules and their wires are read in place, here and for the
    // instances.
    for (const ModuleIdent& sub_i : module.sub_modules) {
        for (const HcpIdent& h : model.get<Module>(sub_i).hcps_of(HwComponentType::IoWire)) {
            const IoWire& wire = model.get<IoWire>(h);
            if (!wire.is_input) {
                gen_parent_net_line_vb(wire, fw);
                fw.write("\n");
            }
        }
    }
}

void write_procedure_blocks(const Module& module, ModelArena& model, FileWriter& fw) {
    section(fw, "Phase 3 : always blocks & continuous assignments");
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k) {
        for (const HcpIdent& h : module.hcps_of(HwComponentType(k)))
            write_parts(model, h, fw, &HcpBaseVb::amt_precedure_blk_vb,
                        &HcpBaseVb::gen_procedure_blk_vb);
    }
}

void write_sub_module_instances(const Module& module, ModelArena& model, FileWriter& fw) {
    section(fw, "Phase 4 : sub-module instantiations");
    for (const ModuleIdent& sub_i : module.sub_modules) {
        const Module& sub = model.get<Module>(sub_i);
        const std::string_view name = sub.ident.abs_name();
        // The module type and the instance share the module's name.
        fw.write(format("{}  {} (\n", name, name));
        bool any = false;
        for (const HcpIdent& h : sub.hcps_of(HwComponentType::IoWire)) {
            const IoWire& wire = model.get<IoWire>(h);
            const std::string port = io_wire_var_name_vb(wire);
            // An output drives the parent's wire of the same name; an input is
            // driven by its agent, a signal the parent sees.
            const std::string signal = wire.is_input ? gen_agent_input_vb(wire, model) : port;
            if (any) fw.write(",\n");
            fw.write(format("    .{}({})", port, signal));
            any = true;
        }
        if (any) fw.write("\n");
        fw.write(");\n");
    }
}

}  // namespace

void gen_module_vb(const Module& module, ModelArena& model, FileWriter& fw) {
    write_header_and_ports(module, model, fw);
    write_declarations(module, model, fw);
    write_sub_module_output_wires(module, model, fw);
    write_procedure_blocks(module, model, fw);
    write_sub_module_instances(module, model, fw);
    section(fw, "Phase 5 : endmodule");
    fw.write("\nendmodule\n\n");
}

}  // namespace vorlent

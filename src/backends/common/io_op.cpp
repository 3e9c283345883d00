#include "backends/common/io_op.hpp"

#include "model/arena_insert.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/module/arena_impl_module.hpp"

namespace vorlent {

std::optional<HcpIdent> find_reusable_io_wire(ModelArena& model, const ModuleIdent& module,
                                              const HcpIdent& src, bool is_input) {
    model.take<Module>(module).put_back();
    // Read in place: taking IO wires leaves the module's lists alone.
    for (const HcpIdent& wire_i : model.get<Module>(module).hcps_of(HwComponentType::IoWire)) {
        auto wire = model.take<IoWire>(wire_i);
        if (wire->is_input != is_input) {
            wire.put_back();
            continue;
        }
        if (!wire->actual_src_signal_i) fatal("IoWire: actual_src_signal_i is None");
        const bool match = *wire->actual_src_signal_i == src;
        wire.put_back();
        if (match) return wire_i;
    }
    return std::nullopt;
}

HcpIdent make_io_wire(ModelArena& model, const ModuleIdent& module, std::string_view dir,
                      std::string_view src_name, bool is_input, uint32_t bit_width,
                      std::optional<HcpIdent> agent, std::optional<HcpIdent> actual) {
    const std::string name = format("IO_{}_{}", dir, src_name);
    push_module_trace(model, module, ModuleInitStage::CompInit);
    HcpIdent stamped;
    try {
        IoWire wire = IoWire::new_opt_src(false, name, is_input, bit_width, std::move(agent),
                                          std::move(actual), model);
        stamped = insert_and_stamp_hcp(model, std::move(wire), false);
    } catch (...) {
        // Leave the trace stack as the caller had it, also on a fatal error.
        model.module_trace_stack.pop_back();
        throw;
    }
    pop_module_trace(model);
    return stamped;
}

uint32_t signal_width(const ModelArena& model, const HcpIdent& sig) {
    return uint32_t(get_hcp_assign(model, sig).get_des_slice().size());
}

}  // namespace vorlent

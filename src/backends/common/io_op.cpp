#include "backends/common/io_op.hpp"

#include "model/arena_insert.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/module/arena_impl_module.hpp"

namespace vorlent {

const std::array<size_t, 2>& IoWireIndex::index_module(const ModelArena& model,
                                                       const ModuleIdent& module) {
    const size_t slot = module.handle().index;
    if (slot >= sourceless_.size()) sourceless_.resize(slot + 1);
    if (sourceless_[slot]) return *sourceless_[slot];
    std::array<size_t, 2> first_sourceless{NONE, NONE};
    size_t position = 0;
    for (const HcpIdent& wire_i : model.get<Module>(module).hcps_of(HwComponentType::IoWire)) {
        const IoWire& wire = model.get<IoWire>(wire_i);
        if (!wire.actual_src_signal_i) {
            size_t& first = first_sourceless[wire.is_input];
            if (first == NONE) first = position;
        } else {
            // The first wire wins, as in a scan.
            wires_.try_emplace(Key{slot, wire.actual_src_signal_i->global_id(), wire.is_input},
                               Found{wire_i, position});
        }
        ++position;
    }
    return *(sourceless_[slot] = first_sourceless);
}

std::optional<HcpIdent> IoWireIndex::find(const ModelArena& model, const ModuleIdent& module,
                                          const HcpIdent& src, bool is_input) {
    const size_t sourceless = index_module(model, module)[is_input];
    const auto it = wires_.find(Key{module.handle().index, src.global_id(), is_input});
    if (it != wires_.end() && it->second.position < sourceless) return it->second.wire;
    if (sourceless != NONE) fatal("IoWire: actual_src_signal_i is None");
    return std::nullopt;
}

void IoWireIndex::add(const ModuleIdent& module, const HcpIdent& src, bool is_input,
                      const HcpIdent& wire) {
    // After every wire the module had when it was indexed.
    wires_.try_emplace(Key{module.handle().index, src.global_id(), is_input},
                       Found{wire, NONE - 1});
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
    return uint32_t(hcp_full_width(model, sig));
}

}  // namespace vorlent

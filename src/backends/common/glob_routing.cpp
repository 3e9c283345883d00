#include "backends/common/glob_routing.hpp"

#include "backends/common/graph.hpp"
#include "backends/common/io_op.hpp"
#include "common/interrupt.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

std::vector<HcpIdent> marked_components(const ModelArena& model, const Module& m) {
    std::vector<HcpIdent> out;
    InterruptPoll poll;
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k)
        for (const HcpIdent& h : m.hcps_of(HwComponentType(k))) {
            poll.tick();
            if (get_hcp_assign(model, h).is_marked_as_io()) out.push_back(h);
        }
    return out;
}

}  // namespace

void route_glob_io_model(ModelArena& model) {
    if (!model.top_module) fatal("route_glob_io_model: no top module set");
    route_glob_io_model(model, ModuleTree(model, *model.top_module));
}

void route_glob_io_model(ModelArena& model, const ModuleTree& tree) {
    for (const ModuleIdent& module : tree.modules()) {
        check_interrupt();
        const std::vector<HcpIdent> marked = marked_components(model, model.get<Module>(module));
        for (const HcpIdent& h : marked) route_glob_io_hw_comp(model, tree, h);
    }
}

void route_glob_io_hw_comp(ModelArena& model, const ModuleTree& tree, const HcpIdent& hcp_i) {
    const std::optional<IoMark> mark = get_hcp_assign(model, hcp_i).get_io_mark();
    if (!mark) fatal("route_glob_io_hw_comp: expected an IO-marked component");
    const std::vector<ModuleIdent> path = tree.path_to_top(module_ident_of(model, hcp_i));
    if (path.empty()) fatal("route_glob_io_hw_comp: module path must be non-empty");

    HcpIdent port;
    if (!mark->is_input) {
        // Up from the component's module; the top module's wire is the port.
        HcpIdent cur = hcp_i;
        for (const ModuleIdent& m : path)
            cur = make_io_wire(model, m, IO_DIR_OUT, hcp_i.abs_name(), false,
                               signal_width(model, cur), cur, hcp_i);
        port = cur;
    } else {
        // Down from the top module, whose wire is the port and has no driver
        // in the design; each lower wire is fed by the one above it.
        const uint32_t width = signal_width(model, hcp_i);
        std::optional<HcpIdent> above;
        for (size_t i = path.size(); i-- > 0;) {
            const HcpIdent wire =
                make_io_wire(model, path[i], IO_DIR_IN, "anon", true, width, above, std::nullopt);
            if (!above) port = wire;
            above = wire;
        }
        const Slice src = get_hcp_assign(model, *above).get_des_slice();
        auto target = take_hcp(model, hcp_i);
        // Pooled after every assignment: of its priority, it wins.
        target->bind_src(*above, std::nullopt, src.start, src.stop, DEFAULT_UE_PRI_INPUT_PORT,
                         std::nullopt, std::nullopt, model);
        target.put_back();
    }

    const std::optional<IoMark> again = get_hcp_assign(model, hcp_i).get_io_mark();
    if (!again) fatal("route_glob_io_hw_comp: target must be IO-marked");
    auto wire = model.take<IoWire>(port);
    wire->port_name = again->io_name;
    wire.put_back();
}

}  // namespace vorlent

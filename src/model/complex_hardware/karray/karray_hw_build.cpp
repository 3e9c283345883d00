#include "model/complex_hardware/karray/karray_hw_build.hpp"

#include <algorithm>

#include "model/complex_hardware/common/ccp_hw_build.hpp"
#include "model/complex_hardware/karray/kidx.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"

namespace vorlent {

namespace {

int32_t whole_width(const ModelArena& model, const HcpIdent& h) {
    return get_hcp_assign(model, h).get_des_slice().size();
}

}  // namespace

HcpIdent binary_index_eq(ModelArena& model, const HcpIdent& index, size_t i, size_t n) {
    const std::string_view s = index.abs_name();
    const HcpIdent c =
        make_val(model, false, format("{}_EQ{}", s, i), int32_t(index_bits(n)), uint64_t(i));
    return make_expression(model, false, format("{}_EQ{}_C", s, i), LogicOp::RelationEq, index, c,
                           std::nullopt, std::nullopt);
}

HcpIdent and_we(ModelArena& model, const std::optional<HcpIdent>& cond, const HcpIdent& enable) {
    if (!cond) return enable;
    return make_expression(model, false, format("{}_WE", enable.abs_name()), LogicOp::BitwiseAnd,
                           *cond, enable, Slice::range(0, 1), Slice::range(0, 1));
}

HcpIdent bin_layer_select_left(ModelArena& model, const HcpIdent& index, uint32_t layer) {
    const std::string_view p = index.abs_name();
    const HcpIdent bit =
        make_expression_single(model, false, format("{}_B{}", p, layer), LogicOp::SliceBit, index,
                               Slice::range(int32_t(layer), int32_t(layer) + 1));
    return make_expression_single(model, false, format("{}_B{}_N", p, layer), LogicOp::BitwiseInvr,
                                  bit, std::nullopt);
}

ReadNode mux_fields_pair(ModelArena& model, std::string_view array_name, size_t d, uint32_t layer,
                         size_t pair, const ReadNode& a, const ReadNode& b, const HcpIdent& sel) {
    ReadNode out;
    const size_t count = std::min(a.fields.size(), b.fields.size());
    out.fields.reserve(count);
    for (size_t f = 0; f < count; ++f) {
        const auto& [name, x] = a.fields[f];
        const HcpIdent& y = b.fields[f].second;
        const HcpIdent wire =
            make_wire(model, false, format("{}_D{}L{}N{}F{}_DMUX", array_name, d, layer, pair, f),
                      uint32_t(whole_width(model, x)));
        mux_into_wire(model, wire, x, y, sel);
        out.fields.emplace_back(name, wire);
    }
    out.coords = a.coords;
    out.coords.insert(out.coords.end(), b.coords.begin(), b.coords.end());
    return out;
}

void apply_extras(ReadNode& node, const NamedHcps& extras) {
    for (const auto& [name, value] : extras) {
        auto it = std::find_if(node.fields.begin(), node.fields.end(),
                               [&](const auto& f) { return f.first == name; });
        if (it != node.fields.end())
            it->second = value;
        else
            node.fields.emplace_back(name, value);
    }
}

}  // namespace vorlent

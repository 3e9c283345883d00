// Reading from a Karray. The walk goes down the dimensions to the selected
// elements and builds, on its way back up, a multiplexer tree for each
// dynamic dimension and a reduction tree for each reduce dimension, from the
// innermost non-static dimension outwards. It reaches the model only through
// the read environment, one step at a time.
#include <algorithm>

#include "model/complex_hardware/karray/karray.hpp"
#include "model/complex_hardware/karray/karray_hw_build.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent {

namespace {

bool has_reduce(const std::vector<KIdx>& sel) {
    return std::any_of(sel.begin(), sel.end(),
                       [](const KIdx& k) { return std::holds_alternative<KIdx::Reduce>(k.v); });
}

}  // namespace

Result<HcpIdent> Karray::read_one_field(const std::vector<KIdx>& sel, std::string_view field,
                                        KReadEnv& env) const {
    const auto it = std::find_if(ty.fields.begin(), ty.fields.end(),
                                 [&](const KarrayField& f) { return f.name == field; });
    if (it == ty.fields.end()) return ErrorText::value(format("Karray has no field '{}'", field));
    if (auto err = check_kidx(shape, sel)) return *err;
    auto values = read_field_hcps(sel, {size_t(it - ty.fields.begin())}, env);
    if (!values.ok()) return values.error();
    return values.value().front();
}

Result<KView> Karray::read_view(const std::vector<KIdx>& sel,
                                const std::vector<size_t>& field_indices, KReadEnv& env) const {
    if (auto err = check_kidx(shape, sel)) return *err;
    for (size_t f : field_indices)
        if (f >= field_count())
            fatal(format("Karray: field index {} out of range (have {})", f, field_count()));
    auto values = read_field_hcps(sel, field_indices, env);
    if (!values.ok()) return values.error();
    KView view;
    view.is_from_sources = false;
    for (size_t f : field_indices) view.fields.push_back(ty.fields[f]);
    view.hcps = std::move(values.value());
    return view;
}

Result<std::vector<HcpIdent>> Karray::read_field_hcps(const std::vector<KIdx>& sel,
                                                      const std::vector<size_t>& field_indices,
                                                      KReadEnv& env) const {
    // A reduction's select functions see every field of each candidate.
    const bool reduce = has_reduce(sel);
    std::vector<size_t> read;
    if (reduce)
        for (size_t f = 0; f < field_count(); ++f) read.push_back(f);
    else
        read = field_indices;

    std::vector<size_t> coords;
    coords.reserve(shape.size());
    auto node = read_dim(0, coords, sel, read, env);
    if (!node.ok()) return node.error();
    const NamedHcps& fields = node.value().fields;
    std::vector<HcpIdent> out;
    if (reduce) {
        // Declared fields keep their positions; extras come after them.
        for (size_t f : field_indices) out.push_back(fields.at(f).second);
    } else {
        for (const auto& [name, value] : fields) out.push_back(value);
    }
    return out;
}

Result<ReadNode> Karray::read_dim(size_t d, std::vector<size_t>& coords,
                                  const std::vector<KIdx>& sel, const std::vector<size_t>& fields,
                                  KReadEnv& env) const {
    if (d == shape.size()) {
        ReadNode leaf;
        leaf.fields.reserve(fields.size());
        for (size_t f : fields) leaf.fields.emplace_back(ty.fields[f].name, element_hcp(coords, f));
        return leaf;
    }
    const size_t n = shape[d];
    const KIdx& k = sel[d];
    if (const auto* s = std::get_if<KIdx::Static>(&k.v)) {
        coords.push_back(s->index);
        auto node = read_dim(d + 1, coords, sel, fields, env);
        coords.pop_back();
        return node;
    }
    if (const auto* dyn = std::get_if<KIdx::Dyn>(&k.v)) {
        const int32_t width = env.run(
            [&](ModelArena& m) { return get_hcp_assign(m, dyn->signal).get_des_slice().size(); });
        if (auto err = check_index_width(d, n, width)) return *err;
        auto nodes = read_dim_fanout(d, coords, sel, fields, env);
        if (!nodes.ok()) return nodes.error();
        return fold_mux_tree(d, dyn->signal, std::move(nodes.value()), env);
    }
    if (std::holds_alternative<KIdx::Custom>(k.v))
        return ErrorText::value(
            "a custom write-enable index cannot select a read; on the read side a custom fn is a "
            "reduce select (fn(a, b, level) -> pick-a)");
    auto nodes = read_dim_fanout(d, coords, sel, fields, env);
    if (!nodes.ok()) return nodes.error();
    for (size_t i = 0; i < nodes.value().size(); ++i) nodes.value()[i].coords = {i};
    return fold_reduce_tree(d, std::move(nodes.value()), env);
}

Result<std::vector<ReadNode>> Karray::read_dim_fanout(size_t d, std::vector<size_t>& coords,
                                                      const std::vector<KIdx>& sel,
                                                      const std::vector<size_t>& fields,
                                                      KReadEnv& env) const {
    std::vector<ReadNode> nodes;
    nodes.reserve(shape[d]);
    for (size_t i = 0; i < shape[d]; ++i) {
        coords.push_back(i);
        auto node = read_dim(d + 1, coords, sel, fields, env);
        coords.pop_back();
        if (!node.ok()) return node.error();
        nodes.push_back(std::move(node.value()));
    }
    return nodes;
}

ReadNode Karray::fold_mux_tree(size_t d, const HcpIdent& index, std::vector<ReadNode> nodes,
                               KReadEnv& env) const {
    if (nodes.empty()) fatal("a Karray dimension has at least one element");
    const std::string_view array_name = ident.abs_name();
    for (uint32_t layer = 0; nodes.size() >= 2; ++layer) {
        const HcpIdent sel =
            env.run([&](ModelArena& m) { return bin_layer_select_left(m, index, layer); });
        std::vector<ReadNode> next;
        next.reserve((nodes.size() + 1) / 2);
        for (size_t k = 0; k + 1 < nodes.size(); k += 2) {
            next.push_back(env.run([&](ModelArena& m) {
                return mux_fields_pair(m, array_name, d, layer, k / 2, nodes[k], nodes[k + 1], sel);
            }));
        }
        if (nodes.size() % 2 == 1) next.push_back(std::move(nodes.back()));
        nodes = std::move(next);
    }
    return std::move(nodes.front());
}

Result<ReadNode> Karray::fold_reduce_tree(size_t d, std::vector<ReadNode> nodes,
                                          KReadEnv& env) const {
    if (nodes.empty()) fatal("a Karray dimension has at least one element");
    const std::string_view array_name = ident.abs_name();
    for (uint32_t layer = 0; nodes.size() >= 2; ++layer) {
        std::vector<ReadNode> next;
        next.reserve((nodes.size() + 1) / 2);
        for (size_t k = 0; k + 1 < nodes.size(); k += 2) {
            const ReadNode& a = nodes[k];
            const ReadNode& b = nodes[k + 1];
            auto choice = env.reduce_select(d, a.fields, a.coords, b.fields, b.coords, layer);
            if (!choice.ok()) return choice.error();
            ReadNode merged = env.run([&](ModelArena& m) {
                return mux_fields_pair(m, array_name, d, layer, k / 2, a, b, choice.value().pick);
            });
            apply_extras(merged, choice.value().extras);
            next.push_back(std::move(merged));
        }
        if (nodes.size() % 2 == 1) next.push_back(std::move(nodes.back()));
        nodes = std::move(next);
    }
    return std::move(nodes.front());
}

}  // namespace vorlent

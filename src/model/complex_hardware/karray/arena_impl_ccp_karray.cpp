#include "model/complex_hardware/karray/arena_impl_ccp_karray.hpp"

#include "model/complex_hardware/common/arena_impl_ccp.hpp"

namespace vorlent {

namespace {

// Runs `op` on the array taken out of its slot; the array goes back on every path.
template <class F>
auto with_karray(ModelArena& model, const CcpIdent& karray_i, F&& op) {
    auto taken = take_karray(model, karray_i);
    auto result = op(*taken);
    taken.put_back();
    return result;
}

}  // namespace

std::vector<size_t> karray_shape(ModelArena& model, const CcpIdent& karray_i) {
    return with_karray(model, karray_i, [](const Karray& k) { return k.shape; });
}

std::vector<std::pair<std::string, int32_t>> karray_fields(ModelArena& model,
                                                           const CcpIdent& karray_i) {
    return with_karray(model, karray_i, [](const Karray& k) {
        std::vector<std::pair<std::string, int32_t>> out;
        out.reserve(k.ty.fields.size());
        for (const KarrayField& f : k.ty.fields) out.emplace_back(f.name, f.width);
        return out;
    });
}

bool karray_is_clocked(ModelArena& model, const CcpIdent& karray_i) {
    return with_karray(model, karray_i, [](const Karray& k) { return k.is_clocked(); });
}

KResult<int32_t> karray_field_width(ModelArena& model, const CcpIdent& karray_i,
                                    std::string_view field) {
    return with_karray(model, karray_i, [&](const Karray& k) -> KResult<int32_t> {
        const KResult<size_t> f = k.field_index_checked(field);
        if (!f.ok()) return f.error();
        return k.ty.fields[f.value()].width;
    });
}

KResult<HcpIdent> karray_element_hcp(ModelArena& model, const CcpIdent& karray_i,
                                     const std::vector<size_t>& coords, std::string_view field) {
    return with_karray(model, karray_i, [&](const Karray& k) -> KResult<HcpIdent> {
        if (coords.size() != k.shape.size())
            return KarrayErr::value(format(
                "a Karray coordinate must name every dimension: got {} for a {}-D Karray",
                coords.size(), k.shape.size()));
        for (size_t d = 0; d < k.shape.size(); ++d)
            if (coords[d] >= k.shape[d])
                return KarrayErr::value(format("index {} out of bounds for dimension {} of size {}",
                                               coords[d], d, k.shape[d]));
        const KResult<size_t> f = k.field_index_checked(field);
        if (!f.ok()) return f.error();
        return k.element_hcp(coords, f.value());
    });
}

KarrayCheck karray_reset_field(ModelArena& model, const CcpIdent& karray_i,
                               std::string_view field, const HcpIdent& value, ClockMode clk_mode) {
    return with_karray(model, karray_i, [&](const Karray& k) {
        return k.reset_field(field, value, clk_mode, model);
    });
}

KarrayCheck karray_assign_hcps(ModelArena& model, const CcpIdent& karray_i,
                               const std::vector<KIdx>& sel,
                               const std::vector<std::pair<size_t, HcpIdent>>& sources,
                               bool clocked) {
    return with_karray(model, karray_i, [&](const Karray& k) -> KarrayCheck {
        KResult<KView> view = KView::from_sources(k, sources);
        if (!view.ok()) return view.error();
        // Element assignment matches by name alone, so nothing is ever skipped.
        auto written = k.write(sel, view.value(), clocked, model);
        if (!written.ok()) return written.error();
        return std::nullopt;
    });
}

}  // namespace vorlent

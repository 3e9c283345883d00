#include "model/complex_hardware/karray/arena_impl_ccp_karray.hpp"

#include "model/complex_hardware/common/arena_impl_ccp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// The base name of the constant an int source becomes.
constexpr std::string_view KCONST = "kconst";

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

Result<int32_t> karray_field_width(ModelArena& model, const CcpIdent& karray_i,
                                   std::string_view field) {
    return with_karray(model, karray_i, [&](const Karray& k) -> Result<int32_t> {
        const Result<size_t> f = k.field_index_checked(field);
        if (!f.ok()) return f.error();
        return k.ty.fields[f.value()].width;
    });
}

Result<HcpIdent> karray_element_hcp(ModelArena& model, const CcpIdent& karray_i,
                                    const std::vector<size_t>& coords, std::string_view field) {
    return with_karray(model, karray_i, [&](const Karray& k) -> Result<HcpIdent> {
        if (coords.size() != k.shape.size())
            return ErrorText::value(
                format("a Karray coordinate must name every dimension: got {} for a {}-D Karray",
                       coords.size(), k.shape.size()));
        for (size_t d = 0; d < k.shape.size(); ++d)
            if (coords[d] >= k.shape[d])
                return ErrorText::value(format("index {} out of bounds for dimension {} of size {}",
                                               coords[d], d, k.shape[d]));
        const Result<size_t> f = k.field_index_checked(field);
        if (!f.ok()) return f.error();
        return k.element_hcp(coords, f.value());
    });
}

CheckResult karray_reset_field(ModelArena& model, const CcpIdent& karray_i, std::string_view field,
                               const SignalOrInt& value, ClockMode clk_mode, IntCuts& cuts) {
    HcpIdent v;
    if (const HcpIdent* ident = std::get_if<HcpIdent>(&value)) {
        v = *ident;
        // Before the array is taken, so a refusal draws no id.
        if (auto err = model.get<Karray>(karray_i).check_reset_not_own(field, v)) return err;
    } else {
        const Result<int32_t> width = karray_field_width(model, karray_i, field);
        if (!width.ok()) return width.error();
        v = make_const_val(model, KCONST, std::get<WideInt>(value), width.value(), cuts);
    }
    return with_karray(model, karray_i,
                       [&](const Karray& k) { return k.reset_field(field, v, clk_mode, model); });
}

namespace {

// Element assignment once check_write has passed.
CheckResult write_checked(ModelArena& model, const CcpIdent& karray_i, const std::vector<KIdx>& sel,
                          const std::vector<std::pair<size_t, HcpIdent>>& sources, bool clocked) {
    return with_karray(model, karray_i, [&](const Karray& k) -> CheckResult {
        Result<KView> view = KView::from_sources(k, sources);
        if (!view.ok()) return view.error();
        // Element assignment matches by name alone, so nothing is ever skipped.
        auto written = k.write(sel, view.value(), clocked, model);
        if (!written.ok()) return written.error();
        return std::nullopt;
    });
}

// The array's check_write, in place: before the array is taken.
CheckResult check_write_in_place(const ModelArena& model, const CcpIdent& karray_i,
                                 const std::vector<KIdx>& sel, const std::vector<size_t>& fields,
                                 bool clocked) {
    return model.get<Karray>(karray_i).check_write(sel, fields, clocked, model);
}

}  // namespace

CheckResult karray_assign_hcps(ModelArena& model, const CcpIdent& karray_i,
                               const std::vector<KIdx>& sel,
                               const std::vector<std::pair<size_t, HcpIdent>>& sources,
                               bool clocked) {
    std::vector<size_t> fields;
    fields.reserve(sources.size());
    for (const auto& [f, src] : sources) fields.push_back(f);
    if (auto err = check_write_in_place(model, karray_i, sel, fields, clocked)) return err;
    return write_checked(model, karray_i, sel, sources, clocked);
}

CheckResult check_custom_enables(const ModelArena& model, const CcpIdent& karray_i,
                                 const std::vector<KIdx>& sel, std::string_view where,
                                 std::string_view param) {
    // Read in place: the array is taken only once the enables pass.
    const std::vector<size_t>* shape = nullptr;
    for (size_t d = 0; d < sel.size(); ++d) {
        const auto* cus = std::get_if<KIdx::Custom>(&sel[d].v);
        if (!cus) continue;
        if (!shape) shape = &model.get<Karray>(karray_i).shape;
        const auto selector = [&] {
            return format("{}: {}[{}], a cus selector of dimension {}, takes one 1-bit enable "
                          "signal per index",
                          where, param, d, d);
        };
        const size_t n = cus->enables.size();
        if (d < shape->size() && n != (*shape)[d])
            return ErrorText::value(format("{} ({} indices), got {} signal{}", selector(),
                                           (*shape)[d], n, n == 1 ? "" : "s"));
        for (size_t i = 0; i < n; ++i) {
            const int32_t width = hcp_full_width(model, cus->enables[i]);
            if (width != 1)
                return ErrorText::value(
                    format("{}, but enable {} of {} (counted from 0), \"{}\", is {} bits wide",
                           selector(), i, n, cus->enables[i].abs_name(), width));
        }
    }
    return std::nullopt;
}

Result<std::vector<std::string>> karray_assign_sources(ModelArena& model, const CcpIdent& karray_i,
                                                       const std::vector<KIdx>& sel,
                                                       const std::vector<KarraySource>& sources,
                                                       bool clocked, IntCuts& cuts) {
    if (auto err = check_custom_enables(model, karray_i, sel, "karray_assign_hcps", "sel"))
        return *err;
    const auto fields = karray_fields(model, karray_i);
    // The field of each source that names one, then the write's checks,
    // before any constant is made.
    std::vector<std::pair<size_t, const KarraySource*>> matched;
    std::vector<std::string> skipped;
    for (const KarraySource& source : sources) {
        size_t f = 0;
        if (!source.field) {
            if (fields.size() != 1)
                return ErrorText::type(
                    "a bare scalar source can only drive a single-field Karray; use a "
                    "{field_name: source} mapping");
        } else {
            while (f < fields.size() && fields[f].first != *source.field) ++f;
            if (f == fields.size()) {
                skipped.push_back(*source.field);
                continue;
            }
        }
        matched.emplace_back(f, &source);
    }
    if (matched.empty()) return ErrorText::value("Karray assignment: no source matched any field");
    std::vector<size_t> written;
    written.reserve(matched.size());
    for (const auto& [f, source] : matched) written.push_back(f);
    if (auto err = check_write_in_place(model, karray_i, sel, written, clocked)) return *err;
    std::vector<std::pair<size_t, HcpIdent>> values;
    values.reserve(matched.size());
    for (const auto& [f, source] : matched) {
        const HcpIdent* ident = std::get_if<HcpIdent>(&source->value);
        values.emplace_back(f, ident ? *ident
                                     : make_const_val(model, KCONST,
                                                      std::get<WideInt>(source->value),
                                                      fields[f].second, cuts));
    }
    if (auto err = write_checked(model, karray_i, sel, values, clocked)) return *err;
    return skipped;
}

}  // namespace vorlent

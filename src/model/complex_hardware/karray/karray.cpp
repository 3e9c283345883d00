#include "model/complex_hardware/karray/karray.hpp"

#include <algorithm>
#include <limits>

#include "common/interrupt.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// Room made for the component list before its components exist.
constexpr size_t ELEMS_RESERVE_CAP = 4096;

// E x F, or nothing when no arena could hold that many components.
std::optional<size_t> component_count(const std::vector<size_t>& shape, size_t field_count) {
    size_t total = field_count;
    for (size_t n : shape)
        if (__builtin_mul_overflow(total, n, &total)) return std::nullopt;
    if (total >= ArenaHandle::INDEX_LIMIT) return std::nullopt;
    return total;
}

}  // namespace

KarrayType KarrayType::make(const std::vector<std::pair<std::string, int32_t>>& fields) {
    KarrayType t;
    t.fields.reserve(fields.size());
    for (const auto& [name, width] : fields) {
        if (width < 1)
            fatal(format("KarrayType: field '{}' width must be positive, got {}", name, width));
        t.fields.push_back(KarrayField{name, width});
    }
    return t;
}

Karray Karray::make(ModelArena& model, bool is_user_com, std::string_view name,
                    std::vector<size_t> shape,
                    const std::vector<std::pair<std::string, int32_t>>& fields,
                    HwComponentType backing) {
    if (backing != HwComponentType::Reg && backing != HwComponentType::Wire)
        fatal(format("Karray '{}': backing must be Reg or Wire, got {}", name,
                     hw_type_debug(backing)));
    if (shape.empty()) fatal(format("Karray '{}': shape must have at least one dimension", name));
    if (shape.size() > KARRAY_MAX_DIMENSIONS)
        fatal(format("Karray '{}': shape has {} dimensions; at most {} are supported", name,
                     shape.size(), KARRAY_MAX_DIMENSIONS));
    for (size_t n : shape)
        if (n == 0) fatal(format("Karray '{}': every dimension must be positive", name));
    KarrayType ty = KarrayType::make(fields);
    if (ty.fields.empty()) fatal(format("Karray '{}': element must have at least one field", name));
    // The product of the sizes would wrap and leave elements without
    // components, so an array that cannot be stored is refused here.
    const std::optional<size_t> total = component_count(shape, ty.fields.size());
    if (!total)
        fatal(format("Karray '{}': shape {} has more elements than can be stored", name,
                     index_list_text(shape)));

    Karray k;
    k.backing = backing;
    k.shape = std::move(shape);
    k.ty = std::move(ty);
    // Grown as the components are made: a count that fits the list may still
    // be far more than memory holds, and the components run out of it first.
    k.elems.reserve(std::min(*total, ELEMS_RESERVE_CAP));
    const size_t element_count = *total / k.ty.fields.size();
    // Millions of components take seconds: Ctrl-C stops the call, and the
    // caller's guard takes out what it made.
    InterruptPoll poll;
    for (size_t e = 0; e < element_count; ++e) {
        for (const KarrayField& f : k.ty.fields) {
            poll.tick();
            const std::string comp_name = format("{}_E{}_{}", name, e, f.name);
            k.elems.push_back(backing == HwComponentType::Reg
                                  ? make_reg(model, false, comp_name, uint32_t(f.width))
                                  : make_wire(model, false, comp_name, uint32_t(f.width)));
        }
    }
    // Once more before the array joins the model: a stop asked for since
    // the last tick stops this call, not the caller's next step.
    check_interrupt();
    k.ident = CcpIdent::make(CcpType::Karray, is_user_com, name);
    return k;
}

size_t Karray::element_number(const std::vector<size_t>& coords) const {
    size_t e = 0;
    for (size_t d = 0; d < shape.size(); ++d) e = e * shape[d] + coords[d];
    return e;
}

HcpIdent Karray::element_hcp(const std::vector<size_t>& coords, size_t field) const {
    const size_t f_count = field_count();
    if (field >= f_count)
        fatal(format("Karray: field index {} out of range (have {})", field, f_count));
    assert_eq(coords.size(), shape.size(),
              format("Karray: expected {} indices, got {}", shape.size(), coords.size()));
    for (size_t d = 0; d < shape.size(); ++d)
        if (coords[d] >= shape[d])
            fatal(format("Karray: index {} out of bounds for dimension of size {}", coords[d],
                         shape[d]));
    return elems[element_number(coords) * f_count + field];
}

Result<size_t> Karray::field_index_checked(std::string_view name) const {
    for (size_t f = 0; f < ty.fields.size(); ++f)
        if (ty.fields[f].name == name) return f;
    std::string names;
    for (size_t f = 0; f < ty.fields.size(); ++f) {
        if (f) names += ", ";
        names += ty.fields[f].name;
    }
    return ErrorText::value(format("Karray has no field '{}' (fields: {})", name, names));
}

CheckResult Karray::check_reset_not_own(std::string_view name, const HcpIdent& value) const {
    if (backing != HwComponentType::Reg || value.hw_type != HwComponentType::Reg)
        return std::nullopt;
    const Result<size_t> f = field_index_checked(name);
    if (!f.ok()) return std::nullopt;
    for (size_t i = f.value(); i < elems.size(); i += field_count()) {
        if (!(elems[i] == value)) continue;
        // The element's coordinates, the last dimension varying fastest.
        std::vector<size_t> coords(shape.size());
        for (size_t e = i / field_count(), d = shape.size(); d-- > 0; e /= shape[d])
            coords[d] = e % shape[d];
        return ErrorText::value(
            format("karray_reset_field: the reset value \"{}\" is a register of field \"{}\" "
                   "(element {}), the field being reset; give another signal or a constant",
                   value.abs_name(), name, index_list_text(coords)));
    }
    return std::nullopt;
}

CheckResult Karray::reset_field(std::string_view name, const HcpIdent& value, ClockMode clk_mode,
                                ModelArena& model) const {
    if (backing != HwComponentType::Reg)
        return ErrorText::type(
            "reset(...) requires a reg-backed Karray (a wire has no state to reset; use "
            "default(...))");
    const Result<size_t> f = field_index_checked(name);
    if (!f.ok()) return f.error();
    // Ctrl-C stops a large array's walk (Interrupted); the registers given
    // the value by then lose it again, so the call leaves the array as it
    // found it.
    const size_t f_count = field_count();
    InterruptPoll poll;
    size_t i = f.value();
    try {
        for (; i < elems.size(); i += f_count) {
            poll.tick();
            auto reg = model.take<Reg>(elems[i]);
            reg->set_reset_val(value, clk_mode);
            reg.put_back();
        }
        check_interrupt();
    } catch (const Interrupted&) {
        for (size_t j = f.value(); j < i; j += f_count) {
            Reg& reg = model.get_mut<Reg>(elems[j]);
            reg.reset_val.reset();
            reg.reset_clk_mode.reset();
        }
        throw;
    }
    return std::nullopt;
}

Result<KView> KView::from_sources(const Karray& array,
                                  const std::vector<std::pair<size_t, HcpIdent>>& sources) {
    const size_t f_count = array.field_count();
    for (const auto& [f, src] : sources)
        if (f >= f_count)
            return ErrorText::value(
                format("source field index {} out of range (have {} fields)", f, f_count));
    KView view;
    view.is_from_sources = true;
    view.fields.reserve(sources.size());
    view.hcps.reserve(sources.size());
    for (const auto& [f, src] : sources) {
        view.fields.push_back(array.ty.fields[f]);
        view.hcps.push_back(src);
    }
    return view;
}

}  // namespace vorlent

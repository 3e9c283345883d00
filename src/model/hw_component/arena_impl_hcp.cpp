#include "model/hw_component/arena_impl_hcp.hpp"

#include "model/model_arena.hpp"

namespace vorlent {

namespace {

// Calls `f` with the record class behind `t`; Nest stops with `nest_message`.
template <class F>
decltype(auto) with_hcp_kind(HwComponentType t, std::string_view nest_message, F&& f) {
    return visit_kind(t, f, [&]() -> decltype(f(std::type_identity<Reg>{})) {
        fatal(format(nest_message, hw_type_debug(t)));
    });
}

}  // namespace

const HcpAssignable& get_hcp_assign(const ModelArena& model, const HcpIdent& ident) {
    return with_hcp_kind(ident.hw_type, "HwComponentType {} is not HCP-assignable",
                         [&]<class T>(std::type_identity<T>) -> const HcpAssignable& {
                             return model.get<T>(ident);
                         });
}

HcpAssignable& get_hcp_assign_mut(ModelArena& model, const HcpIdent& ident) {
    return with_hcp_kind(
        ident.hw_type, "HwComponentType {} is not HCP-assignable",
        [&]<class T>(std::type_identity<T>) -> HcpAssignable& { return model.get_mut<T>(ident); });
}

int32_t hcp_full_width(const ModelArena& model, const HcpIdent& ident) {
    return get_hcp_assign(model, ident).get_des_slice().size();
}

const HcpAssignable* hcp_in_slot(const ModelArena& model, const HcpIdent& ident) {
    return with_hcp_kind(
        ident.hw_type, "HwComponentType {} is not HCP-assignable",
        [&]<class T>(std::type_identity<T>) -> const HcpAssignable* {
            const ArenaGroup<T>& group = model.arena<T>();
            const T& rec = group.get(ident.handle());
            if (group.is_taken(ident.handle().index) || rec.arena_global_id() != ident.global_id())
                return nullptr;
            return &rec;
        });
}

HcpBase& hcp_checked_mut(ModelArena& model, const HcpIdent& ident) {
    return with_hcp_kind(
        ident.hw_type, "HwComponentType {} is not HcpBase",
        [&]<class T>(std::type_identity<T>) -> HcpBase& { return model.checked_mut<T>(ident); });
}

TakenHcp take_hcp(ModelArena& model, const HcpIdent& ident) {
    return with_hcp_kind(
        ident.hw_type, "HwComponentType {} is not HcpBase",
        [&]<class T>(std::type_identity<T>) -> TakenHcp { return model.take<T>(ident); });
}

void check_names_hcp(const ModelArena& model, const HcpIdent& ident) {
    (void)get_hcp_assign(model, ident);
}

void mark_as_io(ModelArena& model, const HcpIdent& hcp_i, bool is_input, std::string io_name) {
    auto taken = take_hcp(model, hcp_i);
    taken->mark_as_io(is_input, std::move(io_name));
    taken.put_back();
    if (is_input && hcp_i.hw_type == HwComponentType::Reg) model.input_port_regs = true;
}

CheckResult check_not_itself(std::string_view where, std::string_view what, std::string_view noun,
                             const HcpIdent& signal, const HcpIdent& value) {
    if (!(value == signal)) return std::nullopt;
    return ErrorText::value(
        format("{}: the {} of \"{}\" is the {} itself; give another signal or a constant", where,
               what, signal.abs_name(), noun));
}

void set_reg_reset(ModelArena& model, const HcpIdent& reg_i, const HcpIdent& reset_val_i) {
    check_names_hcp(model, reset_val_i);
    auto reg = model.take<Reg>(reg_i);
    reg->set_reset_val(reset_val_i, ClockMode::PosEdge);
    reg.put_back();
}

void set_wire_default(ModelArena& model, const HcpIdent& wire_i, const HcpIdent& default_val_i) {
    check_names_hcp(model, default_val_i);
    auto wire = model.take<Wire>(wire_i);
    wire->set_default_val(default_val_i);
    wire.put_back();
}

void check_ident_bit_size(const ModelArena& model, const HcpIdent& sig, uint32_t expected_bits,
                          std::string_view owner_name, const std::optional<HcpIdent>& self_ident,
                          int32_t self_width) {
    const int64_t width = (self_ident && *self_ident == sig)
                              ? int64_t(self_width)
                              : int64_t(get_hcp_assign(model, sig).get_des_slice().size());
    if (width != int64_t(expected_bits))
        fatal(format("'{}': signal '{}' must be {}-bit, got {}", owner_name, sig.abs_name(),
                     expected_bits, width));
}

}  // namespace vorlent

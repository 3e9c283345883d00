// ModelArena methods on Karray arrays, and the read environment of the two
// methods that run Python select functions.
//
// Most methods hold the model for the whole call. karray_read_field_hcp and
// karray_assign_k2k borrow it per step instead: the arrays they work on stay
// out of their slots for the whole call, while select functions run with the
// model free, so a select function may build its logic through this same
// ModelArena.
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/complex_hardware/arena_impl_ccp_py.hpp"
#include "applications/py/model/complex_hardware/karray/kidx_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/py_warnings.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"
#include "model/complex_hardware/karray/arena_factory_ccp_karray.hpp"
#include "model/complex_hardware/karray/arena_impl_ccp_karray.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent::py {

namespace {

using Lease = ModelLease<ModelArena>;
using SelectFns = std::vector<std::optional<PyRef>>;
using NamedPairs = std::vector<std::tuple<std::string, HcpIdent>>;
// A selection's dyn and cus selectors are signals the call reads.
using Selection = Reads<std::vector<PyKIdx>>;

std::vector<KIdx> decoded(const std::vector<PyKIdx>& selection) {
    return value_or_throw(decode_kidx(selection));
}

// An array identity, refused before any arena is searched when it names
// another kind of complex component.
void check_karray(std::string_view param_name, const CcpIdent& ident) {
    if (auto err = check_ccp_kind(param_name, ident, CcpType::Karray)) throw *err;
}

// ---- methods that hold the model --------------------------------------------

CcpIdent py_mk_karray(ModelArena& m, std::string_view name, const std::vector<size_t>& shape,
                      const std::vector<std::tuple<std::string, int32_t>>& fields, size_t backing) {
    if (auto err = check_karray_backing(backing)) throw *err;
    std::vector<std::pair<std::string, int32_t>> pairs;
    pairs.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto& [field, width] = fields[i];
        // Each element's component is named "{name}_E{e}_{field}".
        if (auto err = check_element_name("mk_karray", "field name", field, "")) throw *err;
        if (auto err = check_positive_width(format("fields[{}] width", i), width)) throw *err;
        pairs.emplace_back(field, width);
    }
    return make_karray(m, true, name, shape, pairs, HwComponentType(backing));
}

std::vector<size_t> py_karray_shape(ModelArena& m, const CcpIdent& karray_i) {
    check_karray("karray_i", karray_i);
    return karray_shape(m, karray_i);
}

std::vector<std::pair<std::string, int32_t>> py_karray_fields(ModelArena& m,
                                                              const CcpIdent& karray_i) {
    check_karray("karray_i", karray_i);
    return karray_fields(m, karray_i);
}

bool py_karray_is_clocked(ModelArena& m, const CcpIdent& karray_i) {
    check_karray("karray_i", karray_i);
    return karray_is_clocked(m, karray_i);
}

Result<HcpIdent> py_karray_element_hcp(ModelArena& m, const CcpIdent& karray_i,
                                       const std::vector<size_t>& coord, std::string_view field) {
    check_karray("karray_i", karray_i);
    return karray_element_hcp(m, karray_i, coord, field);
}

CheckResult py_karray_reset_field(ModelArena& m, const CcpIdent& karray_i, std::string_view field,
                                  const Reads<PyOperand>& value) {
    check_karray("karray_i", karray_i);
    IntCuts cuts;
    if (auto err = karray_reset_field(m, karray_i, field, value.value, ClockMode::PosEdge, cuts))
        return err;
    warn_int_cuts(cuts);
    return std::nullopt;
}

void py_karray_assign_hcps(
    ModelArena& m, const CcpIdent& karray_i, const Selection& sel,
    const Reads<std::vector<std::tuple<std::optional<std::string>, PyOperand>>>& sources,
    bool expect_clocked) {
    check_karray("karray_i", karray_i);
    const std::vector<KIdx> kidx = decoded(sel);
    if (auto err = check_loose_assignment_has_top(m, "karray_assign_hcps")) throw *err;
    std::vector<KarraySource> karray_sources;
    karray_sources.reserve(sources.size());
    for (const auto& [name, operand] : sources) karray_sources.push_back({name, operand.value});
    IntCuts cuts;
    const std::vector<std::string> skipped = value_or_throw(
        karray_assign_sources(m, karray_i, kidx, karray_sources, expect_clocked, cuts));
    warn_skipped_fields(SKIPPED_SOURCES_PREFIX, skipped);
    warn_int_cuts(cuts);
}

// ---- the read environment ----------------------------------------------------

class PyKReadEnv final : public KReadEnv {
public:
    // `where` and `fns_param` name the method and its select functions in a refused pick.
    PyKReadEnv(const Lease& lease, const SelectFns& fns, std::string_view where,
               std::string_view fns_param)
        : lease_(lease), fns_(fns), where_(where), fns_param_(fns_param) {}

    void with_arena(ArenaStep step) override {
        lease_.with_model([&](ModelArena& m) { step(m); });
    }

    Result<ReducePick> reduce_select(size_t dim, const NamedHcps& a_fields,
                                     const std::vector<size_t>& a_coords, const NamedHcps& b_fields,
                                     const std::vector<size_t>& b_coords, uint32_t level) override {
        if (dim >= fns_.size() || !fns_[dim])
            return ErrorText::value(format("Karray reduce: dimension {} has no select fn", dim));
        try {
            // The fields are the model's, handed out as a call's result is.
            const auto fields = [&](const NamedHcps& named) {
                const NameStoreScope names(lease_.sole_store());
                return PyRef(ToPython<NamedHcps>::convert(named));
            };
            PyRef args[] = {
                fields(a_fields),
                PyRef(ToPython<std::vector<size_t>>::convert(a_coords)),
                fields(b_fields),
                PyRef(ToPython<std::vector<size_t>>::convert(b_coords)),
                PyRef(ToPython<uint32_t>::convert(level)),
            };
            for (const PyRef& arg : args)
                if (!arg) keep_failure();
            PyObject* argv[] = {args[0].get(), args[1].get(), args[2].get(), args[3].get(),
                                args[4].get()};
            PyRef result(PyObject_Vectorcall(fns_[dim]->get(), argv, 5, nullptr));
            if (!result) keep_failure();
            std::tuple<HcpIdent, NamedPairs> out;
            if (!FromPython<std::tuple<HcpIdent, NamedPairs>>::convert(result.get(), out))
                keep_failure();
            // The pick and the extras are read, as the signals of a parameter are.
            // The pick is a condition: a wider one would keep the first
            // candidate whenever any of its bits is 1.
            CheckResult err;
            const HcpIdent& picked = std::get<0>(out);
            lease_.with_model([&](const ModelArena& m) {
                err = check_signals(m, "Karray reduce", "select fn result", out, Access::Read);
                if (err) return;
                const int32_t width = hcp_full_width(m, picked);
                if (width == 1) return;
                err = ErrorText::value(format(
                    "{}: the select fn of dimension {} ({}[{}]) returned a pick \"{}\" {} bits "
                    "wide for the sides {} and {} at level {}; a pick is a 1-bit condition, 1 "
                    "choosing the left side",
                    where_, dim, fns_param_, dim, picked.abs_name(), width,
                    index_list_text(a_coords), index_list_text(b_coords), level));
            });
            if (err) return *err;
            ReducePick pick{std::get<0>(out), {}};
            pick.extras.reserve(std::get<1>(out).size());
            for (auto& [name, value] : std::get<1>(out)) pick.extras.emplace_back(name, value);
            return pick;
        } catch (const PythonErrorSet&) {
            keep_failure();
        }
    }

    // Runs a read; nothing when a select function's exception ended it.
    template <class F>
    auto attempt(F&& read) -> std::optional<decltype(read())> {
        try {
            return read();
        } catch (const KEnvFailure&) {
            return std::nullopt;
        }
    }

    // What a read attempted gave: its value, else its error text raised, or
    // the select function's exception raised as it was.
    template <class T>
    T outcome(std::optional<Result<T>> read) {
        if (!read) {
            restore_exception(std::move(failure_));
            throw_python_error();
        }
        return value_or_throw(std::move(*read));
    }

private:
    // Keeps the exception that is set; the read ends, the arrays go home,
    // then it is raised again.
    [[noreturn]] void keep_failure() {
        failure_ = fetch_exception();
        throw KEnvFailure{};
    }

    const Lease& lease_;
    const SelectFns& fns_;
    std::string_view where_;
    std::string_view fns_param_;
    PyRef failure_;
};

// ---- arrays out of their slots for a whole call ------------------------------

// An array moved out of its slot. The slot keeps this call's placeholder,
// whose id tells the slot apart when the array comes home.
struct OutOfSlot {
    Karray array;
    uint64_t placeholder_id;
};

OutOfSlot move_out(ModelArena& m, const CcpIdent& ident) {
    Karray array = take_karray(m, ident).release();
    return OutOfSlot{std::move(array), m.arena<Karray>().get(ident.handle()).ident.global_id()};
}

// A select function may have moved the whole model out of this ModelArena
// (into a BackendVerilog) and left another in its place; the array then has
// no slot of its own to go back to.
bool slot_awaits(const ModelArena& m, const OutOfSlot& o) {
    const ArenaGroup<Karray>& group = m.arena<Karray>();
    const ArenaHandle h = o.array.arena_handle();
    return h.index < group.size() && group.is_taken(h.index) &&
           group.get(h).ident.global_id() == o.placeholder_id;
}

void move_home(ModelArena& m, OutOfSlot& o) {
    if (!slot_awaits(m, o))
        fatal(
            format("Karray '{}' cannot go back to its slot: its model left this ModelArena "
                   "while the call ran",
                   o.array.ident.abs_name()));
    m.arena<Karray>().replace_back(o.array.arena_handle(), std::move(o.array));
}

// Sends the arrays home in one step, the last taken first. On an error path
// (a fatal error unwinding, a failed take of the next array among them) it
// sends those whose slots still await them. Each array is added the moment
// it leaves its slot.
class ArraysHome {
public:
    ArraysHome(const Lease& lease) : lease_(lease) {}
    ~ArraysHome() {
        if (done_) return;
        try {
            lease_.with_model([&](ModelArena& m) {
                for (auto it = taken_.rbegin(); it != taken_.rend(); ++it)
                    if (slot_awaits(m, **it)) move_home(m, **it);
            });
        } catch (...) {
            // Already unwinding: the error on its way out is the one reported.
        }
    }
    ArraysHome(const ArraysHome&) = delete;
    ArraysHome& operator=(const ArraysHome&) = delete;

    void add(OutOfSlot& o) { taken_.push_back(&o); }
    void send() {
        done_ = true;
        lease_.with_model([&](ModelArena& m) {
            for (auto it = taken_.rbegin(); it != taken_.rend(); ++it) move_home(m, **it);
        });
    }

private:
    const Lease& lease_;
    std::vector<OutOfSlot*> taken_;
    bool done_ = false;
};

// ---- methods that borrow per step ------------------------------------------

HcpIdent py_karray_read_field_hcp(const Lease& lease, const CcpIdent& karray_i,
                                  const Selection& sel, const SelectFns& fns,
                                  std::string_view field) {
    check_karray("karray_i", karray_i);
    const std::vector<KIdx> kidx = decoded(sel);
    std::optional<OutOfSlot> array;
    ArraysHome home(lease);
    lease.with_model([&](ModelArena& m) { home.add(array.emplace(move_out(m, karray_i))); });

    PyKReadEnv env(lease, fns, "karray_read_field_hcp", "fns");
    auto value = env.attempt([&] { return array->array.read_one_field(kidx, field, env); });
    home.send();
    return env.outcome(std::move(value));
}

void py_karray_assign_k2k(const Lease& lease, const CcpIdent& dst_i, const Selection& dst_sel,
                          const CcpIdent& src_i, const Selection& src_sel, const SelectFns& src_fns,
                          bool expect_clocked) {
    check_karray("dst_i", dst_i);
    check_karray("src_i", src_i);
    const std::vector<KIdx> dst_kidx = decoded(dst_sel);
    const std::vector<KIdx> src_kidx = decoded(src_sel);
    const bool same = src_i == dst_i && src_i.handle() == dst_i.handle();
    if (auto err = lease.with_model([&](const ModelArena& m) -> CheckResult {
            if (auto scope = check_loose_assignment_has_top(m, "karray_assign_k2k")) return scope;
            return check_custom_enables(m, dst_i, dst_kidx, "karray_assign_k2k", "dst_sel");
        }))
        throw *err;

    std::optional<OutOfSlot> dst, src;
    ArraysHome home(lease);
    lease.with_model([&](ModelArena& m) {
        home.add(dst.emplace(move_out(m, dst_i)));
        if (!same) home.add(src.emplace(move_out(m, src_i)));
    });
    const Karray& destination = dst->array;
    const Karray& source = same ? dst->array : src->array;

    PyKReadEnv env(lease, src_fns, "karray_assign_k2k", "src_fns");
    auto skipped = env.attempt([&]() -> Result<std::vector<std::string>> {
        // Before the read makes anything: the fields written are those that
        // match one of the source's (a read view holds them all).
        const std::vector<size_t> written = destination.fields_matching(source.ty.fields);
        if (auto err = lease.with_model([&](const ModelArena& m) {
                return destination.check_write(dst_kidx, written, expect_clocked, m);
            }))
            return *err;
        std::vector<size_t> all(source.field_count());
        for (size_t f = 0; f < all.size(); ++f) all[f] = f;
        auto view = source.read_view(src_kidx, all, env);
        if (!view.ok()) return view.error();
        return env.run([&](ModelArena& m) {
            return destination.write(dst_kidx, view.value(), expect_clocked, m);
        });
    });
    home.send();
    warn_skipped_fields(SKIPPED_DESTINATIONS_PREFIX, env.outcome(std::move(skipped)));
}

}  // namespace

std::vector<PyMethodDef> karray_methods() {
    return {
        arena_maker<"mk_karray($self, name, shape, fields, backing)", &py_mk_karray,
                    CcpType::Karray>(),
        arena_method<"karray_shape($self, karray_i)", &py_karray_shape>(),
        arena_method<"karray_fields($self, karray_i)", &py_karray_fields>(),
        arena_method<"karray_is_clocked($self, karray_i)", &py_karray_is_clocked>(),
        arena_method<"karray_element_hcp($self, karray_i, coord, field)", &py_karray_element_hcp>(),
        arena_method<"karray_reset_field($self, karray_i, field, value)", &py_karray_reset_field,
                     Describes::Behaviour>(),
        arena_method<"karray_assign_hcps($self, karray_i, sel, sources, expect_clocked)",
                     &py_karray_assign_hcps, Describes::Behaviour>(),
        arena_method_per_step<"karray_assign_k2k($self, dst_i, dst_sel, src_i, src_sel, "
                              "src_fns, expect_clocked)",
                              &py_karray_assign_k2k, Describes::Behaviour>(),
        arena_method_per_step<"karray_read_field_hcp($self, karray_i, sel, fns, field)",
                              &py_karray_read_field_hcp>(),
    };
}

}  // namespace vorlent::py

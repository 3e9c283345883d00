// The one calling sequence of every method of a model-owning class
// (ModelArena, BackendVerilog). A method is a table entry made from its text
// signature and a typed C++ function whose first parameter is the model:
//
//     arena_method<"mk_module($self, name)", &make_module>()
//
// and every call runs, in this order:
//   1. bind the arguments to the signature's parameters (position or keyword);
//   2. check that the object is used on the thread that made it (fatal);
//   3. borrow the object, exclusively or shared, for the whole call (a
//      PerStep method borrows nothing here: its function takes a
//      `const ModelLease<Model>&` and borrows per model step), and make the
//      model's name store current for as long; a method that describes
//      behaviour asks the receiver whether the model still takes it;
//   4. convert the arguments in parameter order (FromPython per parameter type;
//      an identity of another model is a panic naming the parameter), then
//      have the model check those of a kind that says how the call uses
//      them (the signals it reads or writes: Reads / Writes, accessed.hpp);
//   5. run the typed function;
//   6. convert its result (ToPython per result type; void is None).
// Failures of every step go through raise_current_exception, and the
// borrow is released on every path. A receiver with a `CallMark` marks the
// model before step 4, and a call that fails takes out again what it made,
// unless its failure keeps it (failure_keeps_made) or another call changed
// the model meanwhile (a Python function the call ran used the object).
#pragma once

#include <concepts>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "applications/py/runtime/arg_binding.hpp"
#include "applications/py/runtime/docstring.hpp"
#include "applications/py/runtime/from_python.hpp"
#include "applications/py/runtime/model_lease.hpp"
#include "applications/py/runtime/signature.hpp"
#include "applications/py/runtime/thread_bound.hpp"
#include "applications/py/runtime/to_python.hpp"
#include "common/error_text.hpp"
#include "model/common/identifier.hpp"

namespace vorlent::py {

// Whether a method describes behaviour that a later step lowers once (for
// a model, build_flow); such a method is refused after that step through
// `Receiver::check_describing(model, method_name)`.
enum class Describes : bool { Nothing, Behaviour };

// A Python object that owns a model, laid out as header then state.
template <class Model>
struct BoundObject {
    PyObject_HEAD BoundState<Model> state;
};

// How a typed function's parameters are held while the call runs: text is
// owned as std::string even when the function takes a std::string_view.
template <class T>
struct StoredAs {
    using type = std::remove_cvref_t<T>;
};
template <>
struct StoredAs<std::string_view> {
    using type = std::string;
};
template <>
struct StoredAs<const std::string_view&> {
    using type = std::string;
};

template <class F>
struct FnTraits;
template <class R, class Target, class... Args>
struct FnTraits<R (*)(Target, Args...)> {
    using Result = R;
    using TargetRef = Target;
    using Stored = std::tuple<typename StoredAs<Args>::type...>;
    static constexpr size_t arity = sizeof...(Args);
};
template <class R, class Target, class... Args>
struct FnTraits<R (*)(Target, Args...) noexcept> : FnTraits<R (*)(Target, Args...)> {};

namespace method_detail {

template <class Sig, size_t... I, class Stored>
bool convert_args(PyObject** bound, Stored& values, std::index_sequence<I...>) {
    auto one = [&]<size_t K>(std::integral_constant<size_t, K>) {
        using T = std::tuple_element_t<K, Stored>;
        try {
            if (FromPython<T>::convert(bound[K], std::get<K>(values))) return true;
        } catch (const ForeignIdentity& e) {
            fatal(format("argument '{}': {}", Sig::params[K].name, e.message()));
        }
        reraise_as_argument_error(Sig::params[K].name);
        return false;
    };
    (void)one;  // unused by methods without parameters
    return (one(std::integral_constant<size_t, I>{}) && ...);
}

// A parameter kind the model checks too, once every argument is converted
// (the signals a call reads or writes, accessed.hpp).
template <class T, class Model>
concept ModelChecked = requires(const T& value, const Model& model, std::string_view text) {
    { value.check(model, text, text) } -> std::same_as<CheckResult>;
};

template <class Model, class Stored>
constexpr bool any_model_checked() {
    return []<size_t... I>(std::index_sequence<I...>) {
        return (ModelChecked<std::tuple_element_t<I, Stored>, Model> || ...);
    }
    (std::make_index_sequence<std::tuple_size_v<Stored>>{});
}

// Step 4's model check, in parameter order; the first refusal is thrown.
template <class Sig, class Model, class Stored, size_t... I>
void check_converted(const Model& model, const Stored& values, std::index_sequence<I...>) {
    auto one = [&]<size_t K>(std::integral_constant<size_t, K>) {
        if constexpr (ModelChecked<std::tuple_element_t<K, Stored>, Model>) {
            if (auto err = std::get<K>(values).check(model, Sig::name, Sig::params[K].name))
                throw *err;
        }
    };
    (void)one;  // unused by methods without parameters
    (one(std::integral_constant<size_t, I>{}), ...);
}

template <auto Fn, class Target, class Stored>
typename FnTraits<decltype(Fn)>::Result call_fn(Target& target, Stored& values) {
    using R = typename FnTraits<decltype(Fn)>::Result;
    return std::apply([&](auto&... args) -> R { return Fn(target, args...); }, values);
}

template <auto Fn, class Target, class Stored>
PyObject* call_and_convert(Target& target, Stored& values) {
    using R = typename FnTraits<decltype(Fn)>::Result;
    if constexpr (std::is_void_v<R>) {
        call_fn<Fn>(target, values);
        return Py_NewRef(Py_None);
    } else {
        return ToPython<std::remove_cvref_t<R>>::convert(call_fn<Fn>(target, values));
    }
}

// A PerStep call: the function runs with no store current between its steps
// (each step makes the store current itself, whatever call this one runs
// inside); its result is the model's, handed back naming the model's store
// as a call that borrows the model whole does.
template <auto Fn, class Model, class Stored>
PyObject* call_per_step_and_convert(const ModelLease<Model>& lease, Stored& values) {
    using R = typename FnTraits<decltype(Fn)>::Result;
    if constexpr (std::is_void_v<R>) {
        const NameStoreScope between_steps(nullptr);
        call_fn<Fn>(lease, values);
        return Py_NewRef(Py_None);
    } else {
        auto result = [&] {
            const NameStoreScope between_steps(nullptr);
            return call_fn<Fn>(lease, values);
        }();
        const NameStoreScope names(lease.sole_store());
        return ToPython<std::remove_cvref_t<R>>::convert(result);
    }
}

// Runs the call; `lend(f)` runs f with the model. See the header for the
// mark.
template <class Receiver, class Model, class Lend, class Run>
PyObject* run_marked(ThreadBinding& binding, const Lend& lend, const Run& run) {
    if constexpr (!requires { typename Receiver::CallMark; }) {
        return run();
    } else {
        const uint64_t call = ++binding.changing_calls;
        std::optional<typename Receiver::CallMark> mark;
        lend([&](const Model& m) { mark.emplace(m); });
        PyObject* result = nullptr;
        try {
            result = run();
        } catch (...) {
            result = raise_current_exception();
        }
        if (!result && binding.changing_calls == call && !failure_keeps_made()) {
            try {
                lend([&](Model& m) { mark->take_out_made_since(m); });
            } catch (...) {
                // The failure already set is the one reported.
            }
        }
        return result;
    }
}

}  // namespace method_detail

template <class Receiver, class S, class Model>
void check_describing(const Model& model) {
    if (auto err = Receiver::check_describing(model, S::name)) throw *err;
}

// Receiver describes the class: `Model`, `class_name` (as call errors name
// it) and `type_path` (as the thread assertion names it).
template <class Receiver, FixedString Sig, auto Fn, Borrow B, Describes D>
PyObject* invoke_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                        PyObject* kwnames) noexcept {
    using S = Signature<Sig>;
    using Traits = FnTraits<decltype(Fn)>;
    using Model = typename Receiver::Model;
    static_assert(Traits::arity == S::count,
                  "the text signature and the typed function disagree on the parameters");
    static_assert(B != Borrow::Shared || std::is_same_v<typename Traits::TargetRef, const Model&>,
                  "a method that holds the model shared must take it as const");
    static_assert(B != Borrow::PerStep ||
                      std::is_same_v<typename Traits::TargetRef, const ModelLease<Model>&>,
                  "a method that borrows per step must take the model's lease");

    static constexpr CallSpec spec{Receiver::class_name, S::name, S::params};
    PyObject* bound[S::count + 1];
    try {
        if (!bind_fastcall(spec, args, nargs, kwnames, bound)) return nullptr;
        BoundState<Model>& state = reinterpret_cast<BoundObject<Model>*>(self)->state;
        state.binding.check_thread(Receiver::type_path);
        if constexpr (B == Borrow::PerStep) {
            const PerStepNesting nesting(S::name);
            const ModelLease<Model> lease(state, Receiver::type_path);
            if constexpr (D == Describes::Behaviour)
                lease.with_model([](const Model& m) { check_describing<Receiver, S>(m); });
            const auto lend = [&](auto&& f) { lease.with_model(f); };
            return method_detail::run_marked<Receiver, Model>(state.binding, lend, [&] {
                typename Traits::Stored values;
                {
                    // Identities are converted for the model the object
                    // holds, as in a call that borrows it whole.
                    const NameStoreScope names(lease.kept_store());
                    if (!method_detail::convert_args<S>(bound, values,
                                                        std::make_index_sequence<S::count>{}))
                        return static_cast<PyObject*>(nullptr);
                }
                if constexpr (method_detail::any_model_checked<Model, typename Traits::Stored>())
                    lease.with_model([&](const Model& m) {
                        method_detail::check_converted<S>(m, values,
                                                          std::make_index_sequence<S::count>{});
                    });
                return method_detail::call_per_step_and_convert<Fn>(lease, values);
            });
        } else {
            BorrowGuard guard(state.binding, B);
            if (!guard.held()) return nullptr;
            const NameStoreScope names(name_store_of(*state.model));
            if constexpr (D == Describes::Behaviour) check_describing<Receiver, S>(*state.model);
            const auto run = [&] {
                typename Traits::Stored values;
                if (!method_detail::convert_args<S>(bound, values,
                                                    std::make_index_sequence<S::count>{}))
                    return static_cast<PyObject*>(nullptr);
                method_detail::check_converted<S>(*state.model, values,
                                                  std::make_index_sequence<S::count>{});
                return method_detail::call_and_convert<Fn>(*state.model, values);
            };
            if constexpr (B == Borrow::Shared) {
                return run();
            } else {
                const auto lend = [&](auto&& f) { f(*state.model); };
                return method_detail::run_marked<Receiver, Model>(state.binding, lend, run);
            }
        }
    } catch (...) {
        return raise_current_exception();
    }
}

// The method table entry.
template <class Receiver, FixedString Sig, auto Fn, Borrow B, Describes D = Describes::Nothing>
PyMethodDef method_def() {
    using S = Signature<Sig>;
    using FastWithKeywords = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
    FastWithKeywords fn = &invoke_method<Receiver, Sig, Fn, B, D>;
    return PyMethodDef{
        S::c_name.data(), reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fn)),
        METH_FASTCALL | METH_KEYWORDS, SignedDoc<S, Receiver::class_name>::chars.data()};
}

}  // namespace vorlent::py

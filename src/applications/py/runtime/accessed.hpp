// The parameter kinds of signals a call reads or writes: `Reads<T>` and
// `Writes<T>` hold a T (an identity, an operand, or an optional, list or
// tuple of them), converted as T and passed on as T. Once every argument is
// converted, and before the function runs, the method runtime has each
// identity they hold checked against the model (check_access): a memory
// element used against its direction, or a memory block read or written,
// is refused there, so no method checks it itself and nothing is made.
#pragma once

#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

#include "applications/py/runtime/operand.hpp"
#include "model/hw_component/signal_access.hpp"

namespace vorlent::py {

// Calls `f` on every component identity a value holds; other kinds hold none.
template <class T>
struct SignalsIn {
    template <class F>
    static void visit(const T&, F&) {}
};
template <>
struct SignalsIn<HcpIdent> {
    template <class F>
    static void visit(const HcpIdent& sig, F& f) {
        f(sig);
    }
};
template <>
struct SignalsIn<PyOperand> {
    template <class F>
    static void visit(const PyOperand& operand, F& f) {
        if (const HcpIdent* sig = operand.ident()) f(*sig);
    }
};
template <class T>
struct SignalsIn<std::optional<T>> {
    template <class F>
    static void visit(const std::optional<T>& value, F& f) {
        if (value) SignalsIn<T>::visit(*value, f);
    }
};
template <class T>
struct SignalsIn<std::vector<T>> {
    template <class F>
    static void visit(const std::vector<T>& values, F& f) {
        for (const T& value : values) SignalsIn<T>::visit(value, f);
    }
};
template <class... Ts>
struct SignalsIn<std::tuple<Ts...>> {
    template <class F>
    static void visit(const std::tuple<Ts...>& values, F& f) {
        std::apply([&](const Ts&... value) { (SignalsIn<Ts>::visit(value, f), ...); }, values);
    }
};

// The first identity `value` holds that cannot be used as `access`, refused.
template <class T>
CheckResult check_signals(const ModelArena& model, std::string_view where, std::string_view param,
                          const T& value, Access access) {
    CheckResult err;
    auto one = [&](const HcpIdent& sig) {
        if (!err) err = check_access(model, where, param, sig, access);
    };
    SignalsIn<T>::visit(value, one);
    return err;
}

// Whether `value` holds an identity of a kind check_access may refuse. An
// ordinary call holds none, and this test is all it pays.
template <class T>
bool holds_directed(const T& value) {
    bool any = false;
    auto one = [&](const HcpIdent& sig) { any |= has_direction(sig.hw_type); };
    SignalsIn<T>::visit(value, one);
    return any;
}

template <class T, Access A>
struct Accessed : T {
    // Run by the method runtime (method.hpp) for the parameter `param` of `where`.
    CheckResult check(const ModelArena& model, std::string_view where,
                      std::string_view param) const {
        const T& value = *this;
        if (!holds_directed(value)) [[likely]]
            return std::nullopt;
        return check_signals(model, where, param, value, A);
    }
};

template <class T>
using Reads = Accessed<T, Access::Read>;
template <class T>
using Writes = Accessed<T, Access::Written>;

template <class T, Access A>
struct FromPython<Accessed<T, A>> {
    static bool convert(PyObject* obj, Accessed<T, A>& out) {
        return FromPython<T>::convert(obj, static_cast<T&>(out));
    }
};

}  // namespace vorlent::py

// Converting results back to Python, one template per result kind.
// `ToPython<T>::convert(value)` returns a new reference, or null with a
// Python exception set; it may also throw (the method runtime maps it).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "applications/py/runtime/py_error.hpp"
#include "applications/py/value_classes.hpp"

namespace vorlent::py {

template <class T>
struct ToPython;

template <>
struct ToPython<bool> {
    static PyObject* convert(bool v) { return PyBool_FromLong(v); }
};

template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) struct ToPython<T> {
    static PyObject* convert(T v) {
        if constexpr (std::is_signed_v<T>)
            return PyLong_FromLongLong(static_cast<long long>(v));
        else
            return PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(v));
    }
};

template <>
struct ToPython<std::string_view> {
    static PyObject* convert(std::string_view v) {
        return PyUnicode_DecodeUTF8(v.data(), Py_ssize_t(v.size()), nullptr);
    }
};
template <>
struct ToPython<std::string> {
    static PyObject* convert(const std::string& v) {
        return ToPython<std::string_view>::convert(v);
    }
};

// Identities (and slices): a new object holding a copy.
template <class Record>
requires is_value_record<Record>
struct ToPython<Record> {
    static PyObject* convert(const Record& v) { return new_value_object(v); }
};

template <class T>
struct ToPython<std::optional<T>> {
    static PyObject* convert(std::optional<T> v) {
        if (!v) return Py_NewRef(Py_None);
        return ToPython<T>::convert(std::move(*v));
    }
};

// Lists, and tuples of their elements' kinds.
template <class T>
struct ToPython<std::vector<T>> {
    static PyObject* convert(const std::vector<T>& v) {
        PyRef list(PyList_New(Py_ssize_t(v.size())));
        if (!list) return nullptr;
        for (size_t i = 0; i < v.size(); ++i) {
            PyObject* item = ToPython<T>::convert(v[i]);
            if (!item) return nullptr;
            PyList_SET_ITEM(list.get(), Py_ssize_t(i), item);
        }
        return list.release();
    }
};

template <class... Ts>
struct ToPython<std::tuple<Ts...>> {
    static PyObject* convert(const std::tuple<Ts...>& v) {
        PyRef tuple(PyTuple_New(Py_ssize_t(sizeof...(Ts))));
        if (!tuple) return nullptr;
        const bool ok = [&]<size_t... I>(std::index_sequence<I...>) {
            auto one = [&](Py_ssize_t i, PyObject* item) {
                if (!item) return false;
                PyTuple_SET_ITEM(tuple.get(), i, item);
                return true;
            };
            return (one(Py_ssize_t(I), ToPython<Ts>::convert(std::get<I>(v))) && ...);
        }
        (std::index_sequence_for<Ts...>{});
        return ok ? tuple.release() : nullptr;
    }
};

template <class A, class B>
struct ToPython<std::pair<A, B>> {
    static PyObject* convert(const std::pair<A, B>& v) {
        return ToPython<std::tuple<A, B>>::convert(std::tuple<A, B>(v.first, v.second));
    }
};

// A passed check is None; a failed one raises its text.
template <>
struct ToPython<CheckResult> {
    static PyObject* convert(const CheckResult& v) {
        if (!v) return Py_NewRef(Py_None);
        raise_error_text(*v);
        return nullptr;
    }
};

// A value, or the error text of a check the caller failed, raised.
template <class T>
struct ToPython<Result<T>> {
    static PyObject* convert(Result<T> v) {
        if (!v.ok()) {
            raise_error_text(v.error());
            return nullptr;
        }
        return ToPython<T>::convert(std::move(v.value()));
    }
};

}  // namespace vorlent::py

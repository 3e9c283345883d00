// Converting arguments from Python, one template per parameter kind. Each
// `FromPython<T>::convert(obj, out)` either fills `out` and returns true, or
// sets a Python exception and returns false. The method runtime then
// prefixes a TypeError with the parameter's name and names it in a
// ValueError for a UnicodeEncodeError (reraise_as_argument_error); other
// exceptions (OverflowError, RuntimeError, ...) pass unchanged.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "applications/py/runtime/py_error.hpp"
#include "applications/py/value_classes.hpp"

namespace vorlent::py {

template <class T>
struct FromPython;

// OverflowError "out of range integral type conversion attempted".
void raise_out_of_range_integral();
// numpy's boolean scalars, recognised by their type name so numpy is not needed.
bool is_numpy_bool(PyObject* obj);
// Looks up collections.abc.Sequence, once, at the module's start-up; false
// with an exception set on failure.
bool look_up_sequence_abc();
// isinstance(obj, collections.abc.Sequence); -1 with an exception set on failure.
int is_abc_sequence(PyObject* obj);

// Text: a str, as its UTF-8 bytes. Lone surrogates raise the interpreter's
// UnicodeEncodeError, which the runtime names the argument in.
template <>
struct FromPython<std::string> {
    static bool convert(PyObject* obj, std::string& out) {
        if (!PyUnicode_Check(obj)) {
            raise_not_instance(obj, "str");
            return false;
        }
        Py_ssize_t len = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(obj, &len);
        if (!utf8) return false;
        out.assign(utf8, size_t(len));
        return true;
    }
};

// 32-bit integers (widths, priorities, enumeration indices): anything with
// __index__, read as the platform's long, then held to the type's range.
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 4) struct FromPython<T> {
    static bool convert(PyObject* obj, T& out) {
        const long v = PyLong_AsLong(obj);
        if (v == -1 && PyErr_Occurred()) return false;
        if (v < long(std::numeric_limits<T>::min()) || v > long(std::numeric_limits<T>::max())) {
            raise_out_of_range_integral();
            return false;
        }
        out = T(v);
        return true;
    }
};

// 64-bit and pointer-sized integers, with the interpreter's own range errors.
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) == 8) struct FromPython<T> {
    static bool convert(PyObject* obj, T& out) {
        if constexpr (std::is_signed_v<T>) {
            const long long v = PyLong_AsLongLong(obj);
            if (v == -1 && PyErr_Occurred()) return false;
            out = T(v);
        } else {
            PyRef index(PyNumber_Index(obj));
            if (!index) return false;
            const unsigned long long v = PyLong_AsUnsignedLongLong(index.get());
            if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
            out = T(v);
        }
        return true;
    }
};

// Flags: True or False (or a numpy bool), never 0 or 1.
template <>
struct FromPython<bool> {
    static bool convert(PyObject* obj, bool& out) {
        if (obj == Py_True || obj == Py_False) {
            out = obj == Py_True;
            return true;
        }
        if (is_numpy_bool(obj)) {
            const int truth = PyObject_IsTrue(obj);
            if (truth < 0) return false;
            out = truth != 0;
            return true;
        }
        raise_not_instance(obj, "bool");
        return false;
    }
};

// Identities and slices: an instance of the record's class, copied.
template <class Record>
requires is_value_record<Record>
struct FromPython<Record> {
    static bool convert(PyObject* obj, Record& out) {
        const Record* record = value_of<Record>(obj);
        if (!record) {
            raise_not_class_instance(obj, value_class<Record>().name());
            return false;
        }
        out = value_copy<Record>(obj);
        return true;
    }
};

// Any object, held by a new reference (callbacks the method calls later).
template <>
struct FromPython<PyRef> {
    static bool convert(PyObject* obj, PyRef& out) {
        out = PyRef::borrow(obj);
        return true;
    }
};

// Parameters shown as "=None": None is no value.
template <class T>
struct FromPython<std::optional<T>> {
    static bool convert(PyObject* obj, std::optional<T>& out) {
        if (obj == Py_None) {
            out.reset();
            return true;
        }
        T value{};
        if (!FromPython<T>::convert(obj, value)) return false;
        out = std::move(value);
        return true;
    }
};

// Room made before a list is read: a sequence's length is only its own
// claim (a __len__ may say 2**40), so the list grows with the items that
// actually arrive.
inline constexpr size_t LIST_RESERVE_CAP = 1024;

// Lists: any sequence but a str, each element by its own kind, in order.
template <class T>
struct FromPython<std::vector<T>> {
    static bool convert(PyObject* obj, std::vector<T>& out) {
        if (PyUnicode_Check(obj)) {
            PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
            return false;
        }
        if (!PyList_Check(obj) && !PyTuple_Check(obj)) {
            const int is_seq = is_abc_sequence(obj);
            if (is_seq < 0) return false;
            if (is_seq == 0) {
                raise_not_instance(obj, "Sequence");
                return false;
            }
        }
        const Py_ssize_t n = PySequence_Size(obj);
        if (n < 0) return false;
        out.clear();
        out.reserve(std::min(size_t(n), LIST_RESERVE_CAP));
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyRef item(PySequence_GetItem(obj, i));
            if (!item) return false;
            T value{};
            if (!FromPython<T>::convert(item.get(), value)) return false;
            out.push_back(std::move(value));
        }
        return true;
    }
};

// Pairs and triples inside lists: a tuple of exactly that length.
template <class... Ts>
struct FromPython<std::tuple<Ts...>> {
    static bool convert(PyObject* obj, std::tuple<Ts...>& out) {
        if (!PyTuple_Check(obj)) {
            raise_not_instance(obj, "tuple");
            return false;
        }
        const Py_ssize_t n = PyTuple_GET_SIZE(obj);
        if (n != Py_ssize_t(sizeof...(Ts))) {
            PyErr_Format(PyExc_TypeError,
                         "expected tuple of length %zu, but got tuple of length %zd", sizeof...(Ts),
                         n);
            return false;
        }
        return [&]<size_t... I>(std::index_sequence<I...>) {
            return (FromPython<Ts>::convert(PyTuple_GET_ITEM(obj, I), std::get<I>(out)) && ...);
        }
        (std::index_sequence_for<Ts...>{});
    }
};

}  // namespace vorlent::py

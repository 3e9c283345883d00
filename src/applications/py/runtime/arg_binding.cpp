#include "applications/py/runtime/arg_binding.hpp"

#include <cstring>
#include <string>

#include "common/text.hpp"

namespace vorlent::py {

namespace {

std::string callee(const CallSpec& spec) {
    return format("{}.{}()", spec.class_name, spec.func_name);
}

void raise_type_error(const std::string& message) {
    PyErr_SetString(PyExc_TypeError, message.c_str());
}

void raise_too_many_positional(const CallSpec& spec, Py_ssize_t given) {
    size_t required = 0;
    for (const ParamSpec& p : spec.params)
        if (p.fallback == ParamDefault::Required) ++required;
    const size_t max = spec.params.size();
    const char* verb = given == 1 ? "was" : "were";
    if (required == max)
        raise_type_error(format("{} takes {} positional argument{} but {} {} given", callee(spec),
                                max, max == 1 ? "" : "s", given, verb));
    else
        raise_type_error(format("{} takes from {} to {} positional arguments but {} {} given",
                                callee(spec), required, max, given, verb));
}

// "'a'", "'a' and 'b'", "'a', 'b', and 'c'"
void raise_missing(const CallSpec& spec, PyObject** out) {
    std::string names;
    size_t count = 0, total = 0;
    for (size_t i = 0; i < spec.params.size(); ++i)
        if (!out[i] && spec.params[i].fallback == ParamDefault::Required) ++total;
    for (size_t i = 0; i < spec.params.size(); ++i) {
        if (out[i] || spec.params[i].fallback != ParamDefault::Required) continue;
        ++count;
        if (count > 1) names += total == 2 ? " and " : (count == total ? ", and " : ", ");
        names += format("'{}'", spec.params[i].name);
    }
    raise_type_error(format("{} missing {} required positional argument{}: {}", callee(spec), total,
                            total == 1 ? "" : "s", names));
}

// Places one keyword argument; false with a TypeError set when it fits no
// parameter or its parameter is already bound.
bool bind_keyword(const CallSpec& spec, PyObject* key, PyObject* value, PyObject** out) {
    if (!PyUnicode_Check(key)) {
        raise_type_error("keywords must be strings");
        return false;
    }
    Py_ssize_t len = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(key, &len);
    if (!utf8) return false;
    const std::string_view name(utf8, size_t(len));
    for (size_t i = 0; i < spec.params.size(); ++i) {
        if (spec.params[i].name != name) continue;
        if (out[i]) {
            raise_type_error(
                format("{} got multiple values for argument '{}'", callee(spec), name));
            return false;
        }
        out[i] = value;
        return true;
    }
    raise_type_error(format("{} got an unexpected keyword argument '{}'", callee(spec), name));
    return false;
}

bool bind_positional(const CallSpec& spec, PyObject* const* args, Py_ssize_t nargs,
                     PyObject** out) {
    for (size_t i = 0; i < spec.params.size(); ++i) out[i] = nullptr;
    if (size_t(nargs) > spec.params.size()) {
        raise_too_many_positional(spec, nargs);
        return false;
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) out[i] = args[i];
    return true;
}

bool fill_defaults(const CallSpec& spec, PyObject** out) {
    for (size_t i = 0; i < spec.params.size(); ++i) {
        if (out[i]) continue;
        switch (spec.params[i].fallback) {
            case ParamDefault::Required:
                raise_missing(spec, out);
                return false;
            case ParamDefault::None:
                out[i] = Py_None;
                break;
            case ParamDefault::False:
                out[i] = Py_False;
                break;
            case ParamDefault::Omitted:
                break;
        }
    }
    return true;
}

}  // namespace

bool bind_fastcall(const CallSpec& spec, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                   PyObject** out) {
    if (!bind_positional(spec, args, nargs, out)) return false;
    if (kwnames) {
        const Py_ssize_t nkw = PyTuple_GET_SIZE(kwnames);
        for (Py_ssize_t k = 0; k < nkw; ++k)
            if (!bind_keyword(spec, PyTuple_GET_ITEM(kwnames, k), args[nargs + k], out))
                return false;
    }
    return fill_defaults(spec, out);
}

bool bind_tuple_dict(const CallSpec& spec, PyObject* args, PyObject* kwargs, PyObject** out) {
    if (!bind_positional(spec, PySequence_Fast_ITEMS(args), PyTuple_GET_SIZE(args), out))
        return false;
    if (kwargs) {
        Py_ssize_t pos = 0;
        PyObject *key = nullptr, *value = nullptr;
        while (PyDict_Next(kwargs, &pos, &key, &value))
            if (!bind_keyword(spec, key, value, out)) return false;
    }
    return fill_defaults(spec, out);
}

}  // namespace vorlent::py

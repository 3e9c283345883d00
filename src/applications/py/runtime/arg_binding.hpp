// Matching a call's arguments to a signature's parameters, with the
// interpreter's own wording for a call that does not fit.
#pragma once

#include <span>
#include <string_view>

#include "applications/py/runtime/py_ref.hpp"
#include "applications/py/runtime/signature.hpp"

namespace vorlent::py {

// The callee as error messages name it: "ModelArena.mk_module()".
struct CallSpec {
    std::string_view class_name;
    std::string_view func_name;
    std::span<const ParamSpec> params;
};

// Binds a vectorcall-style call (positional arguments, then the values of
// the keyword names in `kwnames`). On success `out[i]` is a borrowed
// reference to the argument of parameter i, or its default (None, False, or
// null for "..."). On failure a TypeError is set and false returned.
bool bind_fastcall(const CallSpec& spec, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                   PyObject** out);

// The same for a tuple and an optional dict, as a type's constructor gets them.
bool bind_tuple_dict(const CallSpec& spec, PyObject* args, PyObject* kwargs, PyObject** out);

}  // namespace vorlent::py

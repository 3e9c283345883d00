#include "applications/py/runtime/from_python.hpp"

#include <cstring>

namespace vorlent::py {

void raise_out_of_range_integral() {
    PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
}

bool is_numpy_bool(PyObject* obj) {
    // numpy 2 names the type numpy.bool, numpy 1 numpy.bool_.
    const char* name = Py_TYPE(obj)->tp_name;
    return std::strcmp(name, "numpy.bool") == 0 || std::strcmp(name, "numpy.bool_") == 0;
}

namespace {
// Looked up by the first start-up of the module, before any method is
// reachable, and only read afterwards; collections.abc is never reloaded
// under a running extension.
PyObject* SEQUENCE_ABC = nullptr;
}  // namespace

bool look_up_sequence_abc() {
    if (SEQUENCE_ABC) return true;
    PyRef abc(PyImport_ImportModule("collections.abc"));
    if (!abc) return false;
    SEQUENCE_ABC = PyObject_GetAttrString(abc.get(), "Sequence");
    return SEQUENCE_ABC != nullptr;
}

int is_abc_sequence(PyObject* obj) {
    if (!SEQUENCE_ABC) {
        PyErr_SetString(PyExc_SystemError,
                        "collections.abc.Sequence was not looked up at start-up");
        return -1;
    }
    return PyObject_IsInstance(obj, SEQUENCE_ABC);
}

}  // namespace vorlent::py

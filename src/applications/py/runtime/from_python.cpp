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

int is_abc_sequence(PyObject* obj) {
    // Looked up once; collections.abc is never reloaded under a running extension.
    static PyObject* sequence_abc = nullptr;
    if (!sequence_abc) {
        PyRef abc(PyImport_ImportModule("collections.abc"));
        if (!abc) return -1;
        sequence_abc = PyObject_GetAttrString(abc.get(), "Sequence");
        if (!sequence_abc) return -1;
    }
    return PyObject_IsInstance(obj, sequence_abc);
}

}  // namespace vorlent::py

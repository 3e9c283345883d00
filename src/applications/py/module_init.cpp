// Start-up of the extension module: multi-phase initialisation. The exported
// entry point only hands the module definition to the interpreter; the exec
// step fills the module.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace {

int vorlent_exec(PyObject* module) {
    if (!PyModule_Check(module)) {
        PyErr_SetString(PyExc_TypeError, "expected a module object");
        return -1;
    }
    return 0;
}

PyModuleDef_Slot vorlent_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&vorlent_exec)},
#if PY_VERSION_HEX >= 0x030D0000
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef vorlent_def = {
    PyModuleDef_HEAD_INIT,
    "_vorlent",
    "",
    0,
    nullptr,
    vorlent_slots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit__vorlent(void) { return PyModuleDef_Init(&vorlent_def); }

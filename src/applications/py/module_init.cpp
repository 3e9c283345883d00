// Start-up of the extension module: multi-phase initialisation. The exported
// entry point only hands the module definition to the interpreter; the exec
// step makes the process-wide objects the methods share (PanicException, the
// Sequence ABC), then fills the module with its classes, enumerations and
// constants, in the order of `__all__`, and checks that the type stub
// documents nothing the module lacks (check_stub_docs). Nothing else runs at
// import: no model is made and no per-thread state is touched. The module's
// one function, `_signal_at_check`, is a private hook for the tests.
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "applications/py/backends/verilog/backend_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/docstring.hpp"
#include "applications/py/runtime/from_python.hpp"
#include "applications/py/runtime/py_error.hpp"
#include "applications/py/value_classes.hpp"
#include "common/fatal.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hw_type.hpp"
#include "model/hw_component/common/logic_op.hpp"

namespace vorlent::py {

namespace {

PyRef make_text(std::string_view s) {
    return PyRef(PyUnicode_FromStringAndSize(s.data(), Py_ssize_t(s.size())));
}

// Adds `value` as the module attribute `name` and lists the name in
// `__all__`, which is made on the first add.
bool add_to_module(PyObject* module, std::string_view name, PyObject* value) {
    PyRef all(PyObject_GetAttrString(module, "__all__"));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return false;
        PyErr_Clear();
        all = PyRef(PyList_New(0));
        if (!all || PyObject_SetAttrString(module, "__all__", all.get()) < 0) return false;
    }
    if (!PyList_Check(all.get())) {
        raise_not_instance(all.get(), "list");
        return false;
    }
    PyRef py_name = make_text(name);
    if (!py_name) return false;
    if (PyList_Append(all.get(), py_name.get()) < 0) {
        PyErr_Clear();
        fatal("could not append __name__ to __all__");
    }
    return PyObject_SetAttr(module, py_name.get(), value) == 0;
}

bool add_class(PyObject* module, LazyClass& cls) {
    PyTypeObject* type = cls.get_or_create();
    return type && add_to_module(module, cls.name(), reinterpret_cast<PyObject*>(type));
}

// enum.IntEnum(name, {member: index, ...}), members numbered from 0 in order,
// with the docstring `doc`.
bool add_int_enum(PyObject* module, std::string_view name, std::string_view doc,
                  const std::vector<std::string_view>& members) {
    PyRef dict(PyDict_New());
    if (!dict) return false;
    for (size_t i = 0; i < members.size(); ++i) {
        PyRef key = make_text(members[i]);
        PyRef index(PyLong_FromSize_t(i));
        if (!key || !index || PyDict_SetItem(dict.get(), key.get(), index.get()) < 0) return false;
    }
    PyRef enum_module(PyImport_ImportModule("enum"));
    if (!enum_module) return false;
    PyRef int_enum(PyObject_GetAttrString(enum_module.get(), "IntEnum"));
    if (!int_enum) return false;
    PyRef py_name = make_text(name);
    if (!py_name) return false;
    PyRef cls(PyObject_CallFunctionObjArgs(int_enum.get(), py_name.get(), dict.get(), nullptr));
    PyRef py_doc = make_text(doc);
    return cls && py_doc && PyObject_SetAttrString(cls.get(), "__doc__", py_doc.get()) == 0 &&
           add_to_module(module, name, cls.get());
}

template <class E, class Names>
std::vector<std::string_view> member_names(size_t count, Names name_of) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < count; ++i) out.push_back(name_of(E(i)));
    return out;
}

bool add_enums(PyObject* module) {
    return add_int_enum(module, "LogicOp", stub_doc("LogicOp"),
                        member_names<LogicOp>(LOGIC_OP_COUNT, logic_op_name)) &&
           add_int_enum(module, "ArbSamePriPolicy", stub_doc("ArbSamePriPolicy"),
                        {ARB_SAME_PRI_POLICY_NAMES.begin(), ARB_SAME_PRI_POLICY_NAMES.end()}) &&
           add_int_enum(module, "ArbLockedChannel", stub_doc("ArbLockedChannel"),
                        {ARB_LOCKED_CHANNEL_NAMES.begin(), ARB_LOCKED_CHANNEL_NAMES.end()}) &&
           // The hardware kinds are named as in generated signal names ...
           add_int_enum(module, "HwComponentType", stub_doc("HwComponentType"),
                        member_names<HwComponentType>(HW_COMPONENT_TYPE_COUNT, hw_type_display)) &&
           // ... the flow-block kinds by their CamelCase type names.
           add_int_enum(module, "FlowBlockType", stub_doc("FlowBlockType"),
                        member_names<FlowBlockType>(FLOW_BLOCK_TYPE_COUNT, flow_block_type_debug));
}

bool add_priority_constants(PyObject* module) {
    const std::array<std::pair<std::string_view, long long>, 7> constants = {{
        {"DEFAULT_UE_PRI_USER", DEFAULT_UE_PRI_USER},
        {"DEFAULT_UE_PRI_INTERNAL_MAX", DEFAULT_UE_PRI_INTERNAL_MAX},
        {"DEFAULT_UE_PRI_INTERNAL_MIN", DEFAULT_UE_PRI_INTERNAL_MIN},
        {"DEFAULT_UE_PRI_RST", DEFAULT_UE_PRI_RST},
        {"DEFAULT_UE_PRI_MIN", DEFAULT_UE_PRI_MIN},
        {"DEFAULT_UE_PRI_FALLBACK", DEFAULT_UE_PRI_FALLBACK},
        {"DEFAULT_UE_SUB_PRIORITY_USER", static_cast<long long>(DEFAULT_UE_SUB_PRIORITY_USER)},
    }};
    for (const auto& [name, value] : constants) {
        PyRef v(PyLong_FromLongLong(value));
        if (!v || !add_to_module(module, name, v.get())) return false;
    }
    PyRef names(PyList_New(0));
    if (!names) return false;
    for (const auto& [name, value] : constants) {
        PyRef text = make_text(name);
        if (!text || PyList_Append(names.get(), text.get()) < 0) return false;
    }
    return add_to_module(module, "_ASM_PRIORITY_CONST_NAMES", names.get());
}

int vorlent_exec(PyObject* module) {
    if (!PyModule_Check(module)) {
        raise_not_instance(module, "module");
        return -1;
    }
    try {
        // What every method may need, made before any class exists, so no
        // two threads ever race to make it: nothing of it is a module name.
        if (!make_panic_exception_class() || !look_up_sequence_abc()) return -1;
        install_interrupt_check();
        for (LazyClass* cls :
             {&model_arena_class(), &hcp_ident_class(), &slice_class(), &ccp_ident_class(),
              &flow_block_ident_class(), &module_ident_class(), &backend_verilog_class()})
            if (!add_class(module, *cls)) return -1;
        if (!add_enums(module) || !add_priority_constants(module)) return -1;
        check_stub_docs(module);
        return 0;
    } catch (...) {
        raise_current_exception();
        return -1;
    }
}

// The tests' private hook (signal_at_check), outside `__all__`.
PyObject* py_signal_at_check(PyObject*, PyObject* n_arg) noexcept {
    uint64_t n = 0;
    if (!FromPython<uint64_t>::convert(n_arg, n)) return nullptr;
    return PyLong_FromUnsignedLongLong(signal_at_check(n));
}

PyMethodDef vorlent_functions[] = {
    {"_signal_at_check", &py_signal_at_check, METH_O,
     "_signal_at_check($module, n, /)\n--\n\n"
     "For tests only: the n-th check for Ctrl-C from now on first simulates SIGINT; 0 stops "
     "counting. Returns the checks made since the previous call."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef_Slot vorlent_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&vorlent_exec)},
#if PY_VERSION_HEX >= 0x030D0000
    // The module does not rely on the global interpreter lock.
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef vorlent_def = {
    PyModuleDef_HEAD_INIT, "_vorlent", "", 0, vorlent_functions, vorlent_slots, nullptr, nullptr,
    nullptr,
};

}  // namespace

}  // namespace vorlent::py

PyMODINIT_FUNC PyInit__vorlent(void) { return PyModuleDef_Init(&vorlent::py::vorlent_def); }

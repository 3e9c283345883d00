#include "applications/py/backends/verilog/backend_py.hpp"

#include <memory>
#include <new>
#include <vector>

#include "applications/py/model/model_arena_py.hpp"

namespace vorlent::py {

namespace {

using NewSignature = Signature<"BackendVerilog(arena)">;

// Moves the model out of `arena`, which keeps a new empty one; identity
// objects made before still name elements of the moved model.
PyObject* backend_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static constexpr CallSpec spec{BackendVerilogReceiver::class_name, "__new__",
                                   NewSignature::params};
    PyObject* bound[NewSignature::count + 1];
    try {
        if (!bind_tuple_dict(spec, args, kwargs, bound)) return nullptr;
        PyObject* arena_obj = bound[0];
        if (!model_arena_class().is_instance(arena_obj)) {
            raise_not_class_instance(arena_obj, "ModelArena");
            reraise_as_argument_error("arena");
            return nullptr;
        }
        BoundState<ModelArena>& arena = reinterpret_cast<PyModelArena*>(arena_obj)->state;
        arena.binding.check_thread(ModelArenaReceiver::type_path);
        BorrowGuard guard(arena.binding, Borrow::Exclusive);
        if (!guard.held()) return nullptr;

        // Everything that can fail comes before the swap, so a failure leaves
        // the arena's model where it was.
        auto backend = std::make_unique<BackendVerilog>(ModelArena{});
        PyObject* obj = type->tp_alloc(type, 0);
        if (!obj) return nullptr;
        std::swap(backend->model(), *arena.model);
        new (&reinterpret_cast<PyBackendVerilog*>(obj)->state)
            BoundState<BackendVerilog>{ThreadBinding{}, std::move(backend)};
        return obj;
    } catch (...) {
        return raise_current_exception();
    }
}

CheckResult emit(BackendVerilog& backend, std::string_view output_dir,
                 std::string_view top_file_name) {
    return backend.emit(output_dir, top_file_name);
}

PyMethodDef* method_table() {
    static PyMethodDef table[] = {
        method_def<BackendVerilogReceiver, "emit($self, output_dir, top_file_name)", &emit,
                   Borrow::Exclusive>(),
        PyMethodDef{nullptr, nullptr, 0, nullptr},
    };
    return table;
}

void backend_dealloc(PyObject* self) {
    drop_bound_state(reinterpret_cast<PyBackendVerilog*>(self)->state,
                     BackendVerilogReceiver::type_path);
    free_heap_instance(self);
}

PyType_Spec* backend_spec() {
    static PyType_Slot slots[] = {
        {Py_tp_new, reinterpret_cast<void*>(&backend_new)},
        {Py_tp_dealloc, reinterpret_cast<void*>(&backend_dealloc)},
        {Py_tp_methods, method_table()},
        {Py_tp_doc, const_cast<char*>(SignedDoc<NewSignature>::chars.data())},
        {0, nullptr},
    };
    static PyType_Spec spec = {"builtins.BackendVerilog", sizeof(PyBackendVerilog), 0,
                               Py_TPFLAGS_DEFAULT, slots};
    return &spec;
}

}  // namespace

LazyClass& backend_verilog_class() {
    static LazyClass cls("BackendVerilog", backend_spec());
    return cls;
}

}  // namespace vorlent::py

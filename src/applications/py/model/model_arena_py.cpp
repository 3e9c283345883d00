#include "applications/py/model/model_arena_py.hpp"

#include <memory>
#include <new>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"

namespace vorlent::py {

namespace {

using NewSignature = Signature<"ModelArena()">;

PyObject* model_arena_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static constexpr CallSpec spec{ModelArenaReceiver::class_name, "__new__", NewSignature::params};
    PyObject* bound[NewSignature::count + 1];
    try {
        if (!bind_tuple_dict(spec, args, kwargs, bound)) return nullptr;
        auto model = std::make_unique<ModelArena>();
        PyObject* obj = type->tp_alloc(type, 0);
        if (!obj) return nullptr;
        new (&reinterpret_cast<PyModelArena*>(obj)->state)
            BoundState<ModelArena>{ThreadBinding{}, std::move(model)};
        return obj;
    } catch (...) {
        return raise_current_exception();
    }
}

void model_arena_dealloc(PyObject* self) {
    drop_bound_state(reinterpret_cast<PyModelArena*>(self)->state, ModelArenaReceiver::type_path);
    free_heap_instance(self);
}

// Built once, when the class is made; the interpreter keeps pointers into it.
PyMethodDef* method_table() {
    static std::vector<PyMethodDef> table = [] {
        std::vector<PyMethodDef> all;
        for (auto family :
             {module_methods, asm_priority_methods, hw_component_factory_methods,
              expression_methods, hw_component_impl_methods, comb_generator_methods,
              flow_block_factory_methods, flow_block_stack_methods, flow_block_arb_factory_methods,
              arb_methods, dyn_counter_methods, karray_methods, verilog_name_methods})
            for (const PyMethodDef& def : family()) all.push_back(def);
        all.push_back(PyMethodDef{nullptr, nullptr, 0, nullptr});
        return all;
    }();
    return table.data();
}

PyType_Spec* model_arena_spec() {
    static PyType_Slot slots[] = {
        {Py_tp_new, reinterpret_cast<void*>(&model_arena_new)},
        {Py_tp_dealloc, reinterpret_cast<void*>(&model_arena_dealloc)},
        {Py_tp_methods, method_table()},
        {Py_tp_doc, const_cast<char*>(SignedDoc<NewSignature>::chars.data())},
        {0, nullptr},
    };
    static PyType_Spec spec = {"builtins.ModelArena", sizeof(PyModelArena), 0, Py_TPFLAGS_DEFAULT,
                               slots};
    return &spec;
}

}  // namespace

LazyClass& model_arena_class() {
    static LazyClass cls("ModelArena", model_arena_spec());
    return cls;
}

}  // namespace vorlent::py

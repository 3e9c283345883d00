// The extension's classes are heap types made on first use (in practice by
// the module's exec step) and kept for the life of the process. Their
// qualified names are "builtins.{}", so `__module__` reads "builtins".
#pragma once

#include <string_view>

#include "applications/py/runtime/py_ref.hpp"

namespace vorlent::py {

class LazyClass {
public:
    // `spec` must outlive the process (a static); its name is "builtins.{name}".
    LazyClass(std::string_view name, PyType_Spec* spec) : name_(name), spec_(spec) {}

    std::string_view name() const { return name_; }
    // The class, made if needed; null with the exception set when making it fails.
    PyTypeObject* get_or_create();
    // For code that hands out instances: failing to make the class is fatal
    // ("An error occurred while initializing class {}").
    PyTypeObject* get();
    // The class if it exists yet; an object can only be an instance of a class that does.
    PyTypeObject* existing() const { return type_; }
    bool is_instance(PyObject* obj) const { return type_ && PyObject_TypeCheck(obj, type_); }

private:
    std::string_view name_;
    PyType_Spec* spec_;
    PyTypeObject* type_ = nullptr;
};

// Frees an instance of a heap type whose C++ part the caller has already
// destroyed: releases the memory and the instance's reference to its type.
inline void free_heap_instance(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

}  // namespace vorlent::py

#include "applications/py/runtime/class_registry.hpp"

#include "applications/py/runtime/py_error.hpp"
#include "common/fatal.hpp"
#include "common/text.hpp"

namespace vorlent::py {

PyTypeObject* LazyClass::get_or_create() {
    if (!type_) type_ = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(spec_));
    return type_;
}

PyTypeObject* LazyClass::get() {
    if (PyTypeObject* t = get_or_create()) return t;
    PyErr_Clear();
    fatal(format("An error occurred while initializing class {}", name_));
}

}  // namespace vorlent::py

// The five value classes: Slice, which the caller builds, and the identity
// classes HcpIdent, FlowBlockIdent, CcpIdent and ModuleIdent, which only the
// extension creates. Each object holds one record by value and never changes.
#pragma once

#include <new>
#include <string_view>

#include "applications/py/runtime/class_registry.hpp"
#include "applications/py/runtime/py_error.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent::py {

template <class Record>
struct ValueObject {
    PyObject_HEAD
    Record value;
};

LazyClass& slice_class();
LazyClass& hcp_ident_class();
LazyClass& flow_block_ident_class();
LazyClass& ccp_ident_class();
LazyClass& module_ident_class();

// The class of each record type, for generic conversion in both directions.
template <class Record>
inline constexpr bool is_value_record = false;
template <class Record>
LazyClass& value_class();

#define VORLENT_PY_VALUE_RECORD(Record, getter)          \
    template <>                                           \
    inline constexpr bool is_value_record<Record> = true; \
    template <>                                           \
    inline LazyClass& value_class<Record>() {             \
        return getter();                                  \
    }
VORLENT_PY_VALUE_RECORD(Slice, slice_class)
VORLENT_PY_VALUE_RECORD(HcpIdent, hcp_ident_class)
VORLENT_PY_VALUE_RECORD(FlowBlockIdent, flow_block_ident_class)
VORLENT_PY_VALUE_RECORD(CcpIdent, ccp_ident_class)
VORLENT_PY_VALUE_RECORD(ModuleIdent, module_ident_class)
#undef VORLENT_PY_VALUE_RECORD

// A new object holding a copy of the record. Each call makes a new object,
// also for a record an earlier call already returned. Throws PythonErrorSet
// when the allocation fails.
template <class Record>
PyObject* new_value_object(const Record& record) {
    PyTypeObject* type = value_class<Record>().get();
    PyObject* obj = type->tp_alloc(type, 0);
    if (!obj) throw_python_error();
    new (&reinterpret_cast<ValueObject<Record>*>(obj)->value) Record(record);
    return obj;
}

// The record inside an object of the record's class, or null for any other object.
template <class Record>
const Record* value_of(PyObject* obj) {
    if (!value_class<Record>().is_instance(obj)) return nullptr;
    return &reinterpret_cast<ValueObject<Record>*>(obj)->value;
}

}  // namespace vorlent::py

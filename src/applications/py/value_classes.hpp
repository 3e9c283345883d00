// The five value classes: Slice, which the caller builds, and the identity
// classes HcpIdent, FlowBlockIdent, CcpIdent and ModuleIdent, which only the
// extension creates. Each object holds one record by value and never changes.
//
// An object may outlive every model, so the names of the identity it holds
// are in blocks of its own. It also keeps where they were in the store of
// the model that made it: handed back to a call on that model, the record
// refers to the store again, as the model's own copies do.
#pragma once

#include <array>
#include <new>
#include <string_view>

#include "applications/py/runtime/class_registry.hpp"
#include "applications/py/runtime/py_error.hpp"
#include "common/fatal.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/common/slice.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent::py {

// The identity records inside a record, in a fixed order.
inline std::array<IdentBase*, 0> ident_bases(Slice&) { return {}; }
inline std::array<IdentBase*, 1> ident_bases(HcpIdent& r) { return {&r.ident_base}; }
inline std::array<IdentBase*, 1> ident_bases(FlowBlockIdent& r) { return {&r.ident_base}; }
inline std::array<IdentBase*, 1> ident_bases(ModuleIdent& r) { return {&r.ident_base}; }
inline std::array<IdentBase*, 2> ident_bases(CcpIdent& r) {
    return {&r.module_ident.ident_base, &r.ident_base};
}

template <class Record>
struct StoreLink {
    static constexpr size_t count = decltype(ident_bases(std::declval<Record&>()))().size();
    uint64_t serial = 0;  // of the store the names were in; 0 for none
    std::array<const IdentBase::Names*, count> names{};
};

template <class Record>
struct ValueObject {
    PyObject_HEAD Record value;  // names in blocks of its own
    StoreLink<Record> link;
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

#define VORLENT_PY_VALUE_RECORD(Record, getter)           \
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
    auto* v = reinterpret_cast<ValueObject<Record>*>(obj);
    new (&v->link) StoreLink<Record>();
    new (&v->value) Record(record);
    const NameStore* store = current_name_store();
    v->link.serial = store ? store->serial() : 0;
    const auto bases = ident_bases(v->value);
    for (size_t i = 0; i < bases.size(); ++i) {
        v->link.names[i] = bases[i]->store_names();
        bases[i]->detach_names();
    }
    return obj;
}

// The record inside an object of the record's class, or null for any other object.
template <class Record>
const Record* value_of(PyObject* obj) {
    if (!value_class<Record>().is_instance(obj)) return nullptr;
    return &reinterpret_cast<ValueObject<Record>*>(obj)->value;
}

// Thrown by the conversion of an identity that another model made (one
// freed since, or moved into a BackendVerilog, included): the handle would
// name a slot of this model that holds something else. The method runtime
// names the parameter in the message.
class ForeignIdentity : public FatalError {
public:
    explicit ForeignIdentity(std::string_view abs_name)
        : FatalError(format("{} belongs to another model", abs_name)) {}
};

// Kept out of value_copy, so that every conversion of an identity inlines it.
[[noreturn, gnu::cold]] void throw_foreign_identity(std::string_view abs_name);

// A copy of the record of an object of the record's class, for a call on
// the model whose store is current: on the model whose store the names came
// from, it refers to that store again; an identity made with another
// model's store current is refused (ForeignIdentity). One made with no
// store current (one a Karray read named in a model that a select function
// then moved away) is left to the model's own check.
template <class Record>
inline Record value_copy(PyObject* obj) {
    const auto* v = reinterpret_cast<ValueObject<Record>*>(obj);
    Record out = v->value;
    const NameStore* store = current_name_store();
    if constexpr (StoreLink<Record>::count > 0) {
        if (v->link.serial != 0 && store) {
            const auto bases = ident_bases(out);
            if (store->serial() != v->link.serial) [[unlikely]]
                throw_foreign_identity(bases.back()->abs_name());
            for (size_t i = 0; i < bases.size(); ++i)
                if (v->link.names[i]) bases[i]->attach_store_names(v->link.names[i]);
        }
    }
    return out;
}

}  // namespace vorlent::py

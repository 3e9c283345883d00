#include "applications/py/value_classes.hpp"

#include <string>

#include "applications/py/runtime/arg_binding.hpp"
#include "applications/py/runtime/docstring.hpp"
#include "applications/py/runtime/from_python.hpp"
#include "applications/py/runtime/to_python.hpp"
#include "common/text.hpp"

namespace vorlent::py {

namespace {

template <class Record>
const Record& record_of(PyObject* self) {
    return reinterpret_cast<ValueObject<Record>*>(self)->value;
}

template <class Record>
void value_dealloc(PyObject* self) {
    reinterpret_cast<ValueObject<Record>*>(self)->value.~Record();
    free_heap_instance(self);
}

// A read-only property from a plain function of the record.
template <class Record, auto Read>
PyObject* property(PyObject* self, void*) {
    try {
        using T = std::remove_cvref_t<decltype(Read(record_of<Record>(self)))>;
        return ToPython<T>::convert(Read(record_of<Record>(self)));
    } catch (...) {
        return raise_current_exception();
    }
}

// The table entry of the read-only property `Name` of the class `Owner`,
// documented as the stub documents it.
template <const std::string_view& Owner, FixedString Name, class Record, auto Read>
PyGetSetDef property_def() {
    static constexpr std::string_view doc = find_stub_doc(Owner, Name.view());
    return PyGetSetDef{Name.chars, &property<Record, Read>, nullptr, doc.data(), nullptr};
}

template <class Record, auto Render>
PyObject* repr(PyObject* self) {
    try {
        return ToPython<std::string>::convert(Render(record_of<Record>(self)));
    } catch (...) {
        return raise_current_exception();
    }
}

template <class Record>
uint64_t global_id(const Record& r) {
    return r.global_id();
}

template <class Record>
PyType_Spec make_spec(const char* qualified_name, unsigned flags, PyType_Slot* slots) {
    return PyType_Spec{qualified_name, int(sizeof(ValueObject<Record>)), 0, flags, slots};
}

// The names the stub files the classes' docstrings under.
constexpr std::string_view SLICE = "Slice";
constexpr std::string_view HCP_IDENT = "HcpIdent";
constexpr std::string_view FLOW_BLOCK_IDENT = "FlowBlockIdent";
constexpr std::string_view CCP_IDENT = "CcpIdent";
constexpr std::string_view MODULE_IDENT = "ModuleIdent";

// Identity classes have no constructor: the caller only gets them back from
// model calls.
constexpr unsigned IDENT_FLAGS = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION;

// ---- Slice ----

using SliceSignature = Signature<"Slice(start=..., stop=...)">;

int32_t slice_start(const Slice& s) { return s.start; }
int32_t slice_stop(const Slice& s) { return s.stop; }
int32_t slice_size(const Slice& s) { return s.size(); }
std::string slice_repr(const Slice& s) {
    return format("Slice(start={}, stop={})", s.start, s.stop);
}

// An omitted bound is -1; a given one must be a 32-bit integer, so None is
// refused. Every refusal names the bound.
PyObject* slice_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static constexpr CallSpec spec{"Slice", "__new__", SliceSignature::params};
    PyObject* bound[SliceSignature::count];
    try {
        if (!bind_tuple_dict(spec, args, kwargs, bound)) return nullptr;
        Slice s = Slice::whole();
        int32_t* fields[] = {&s.start, &s.stop};
        for (size_t i = 0; i < SliceSignature::count; ++i) {
            if (!bound[i]) continue;
            if (!FromPython<int32_t>::convert(bound[i], *fields[i])) {
                // Built alone from two ints, a Slice says which bound is out of range.
                reraise_as_argument_error(SliceSignature::params[i].name, true);
                return nullptr;
            }
        }
        PyObject* obj = type->tp_alloc(type, 0);
        if (!obj) return nullptr;
        new (&reinterpret_cast<ValueObject<Slice>*>(obj)->value) Slice(s);
        return obj;
    } catch (...) {
        return raise_current_exception();
    }
}

PyObject* slice_is_valid(PyObject* self, PyObject*) {
    const Slice& s = record_of<Slice>(self);
    return PyBool_FromLong(s.start >= 0 && s.start < s.stop);
}

PyGetSetDef slice_getset[] = {
    property_def<SLICE, "start", Slice, &slice_start>(),
    property_def<SLICE, "stop", Slice, &slice_stop>(),
    property_def<SLICE, "size", Slice, &slice_size>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
PyMethodDef slice_methods[] = {
    {"is_valid", &slice_is_valid, METH_NOARGS,
     SignedDoc<Signature<"is_valid($self)">, SLICE>::chars.data()},
    {nullptr, nullptr, 0, nullptr},
};
PyType_Slot slice_slots[] = {
    {Py_tp_new, reinterpret_cast<void*>(&slice_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(&value_dealloc<Slice>)},
    {Py_tp_repr, reinterpret_cast<void*>(&repr<Slice, &slice_repr>)},
    {Py_tp_getset, slice_getset},
    {Py_tp_methods, slice_methods},
    {Py_tp_doc, const_cast<char*>(SignedDoc<SliceSignature>::chars.data())},
    {0, nullptr},
};
PyType_Spec slice_spec = make_spec<Slice>("builtins.Slice", Py_TPFLAGS_DEFAULT, slice_slots);

// ---- HcpIdent ----

std::string_view hcp_hw_type(const HcpIdent& h) { return hw_type_display(h.hw_type); }
std::string_view hcp_sensitive_type(const HcpIdent& h) {
    return sensitivity_name(h.sensitive_type);
}
bool hcp_clocked(const HcpIdent& h) { return h.sensitive_type == Sensitivity::Clocked; }
std::string hcp_repr(const HcpIdent& h) {
    return format("HcpIdent(global_id={}, hw_type={})", h.global_id(), hw_type_display(h.hw_type));
}

PyGetSetDef hcp_getset[] = {
    property_def<HCP_IDENT, "global_id", HcpIdent, &global_id<HcpIdent>>(),
    property_def<HCP_IDENT, "hw_type", HcpIdent, &hcp_hw_type>(),
    property_def<HCP_IDENT, "sensitive_type", HcpIdent, &hcp_sensitive_type>(),
    property_def<HCP_IDENT, "clocked", HcpIdent, &hcp_clocked>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
PyType_Slot hcp_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&value_dealloc<HcpIdent>)},
    {Py_tp_repr, reinterpret_cast<void*>(&repr<HcpIdent, &hcp_repr>)},
    {Py_tp_getset, hcp_getset},
    {Py_tp_doc, const_cast<char*>(stub_doc(HCP_IDENT).data())},
    {0, nullptr},
};
PyType_Spec hcp_spec = make_spec<HcpIdent>("builtins.HcpIdent", IDENT_FLAGS, hcp_slots);

// ---- FlowBlockIdent ----

std::string_view fb_block_type(const FlowBlockIdent& f) {
    return flow_block_type_display(f.block_type);
}
std::string fb_repr(const FlowBlockIdent& f) {
    return format("FlowBlockIdent(global_id={}, block_type={})", f.global_id(),
                  flow_block_type_display(f.block_type));
}

PyGetSetDef fb_getset[] = {
    property_def<FLOW_BLOCK_IDENT, "global_id", FlowBlockIdent, &global_id<FlowBlockIdent>>(),
    property_def<FLOW_BLOCK_IDENT, "block_type", FlowBlockIdent, &fb_block_type>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
PyType_Slot fb_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&value_dealloc<FlowBlockIdent>)},
    {Py_tp_repr, reinterpret_cast<void*>(&repr<FlowBlockIdent, &fb_repr>)},
    {Py_tp_getset, fb_getset},
    {Py_tp_doc, const_cast<char*>(stub_doc(FLOW_BLOCK_IDENT).data())},
    {0, nullptr},
};
PyType_Spec fb_spec = make_spec<FlowBlockIdent>("builtins.FlowBlockIdent", IDENT_FLAGS, fb_slots);

// ---- CcpIdent ----

std::string_view ccp_type(const CcpIdent& c) { return ccp_type_display(c.ccp_type); }
std::string ccp_repr(const CcpIdent& c) {
    return format("CcpIdent(global_id={}, ccp_type={})", c.global_id(),
                  ccp_type_display(c.ccp_type));
}

PyGetSetDef ccp_getset[] = {
    property_def<CCP_IDENT, "global_id", CcpIdent, &global_id<CcpIdent>>(),
    property_def<CCP_IDENT, "ccp_type", CcpIdent, &ccp_type>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
PyType_Slot ccp_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&value_dealloc<CcpIdent>)},
    {Py_tp_repr, reinterpret_cast<void*>(&repr<CcpIdent, &ccp_repr>)},
    {Py_tp_getset, ccp_getset},
    {Py_tp_doc, const_cast<char*>(stub_doc(CCP_IDENT).data())},
    {0, nullptr},
};
PyType_Spec ccp_spec = make_spec<CcpIdent>("builtins.CcpIdent", IDENT_FLAGS, ccp_slots);

// ---- ModuleIdent ----

uint32_t module_depth_level(const ModuleIdent& m) { return m.depth_level; }
std::string module_repr(const ModuleIdent& m) {
    return format("ModuleIdent(global_id={}, depth_level={})", m.global_id(), m.depth_level);
}

PyGetSetDef module_getset[] = {
    property_def<MODULE_IDENT, "global_id", ModuleIdent, &global_id<ModuleIdent>>(),
    property_def<MODULE_IDENT, "depth_level", ModuleIdent, &module_depth_level>(),
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
PyType_Slot module_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&value_dealloc<ModuleIdent>)},
    {Py_tp_repr, reinterpret_cast<void*>(&repr<ModuleIdent, &module_repr>)},
    {Py_tp_getset, module_getset},
    {Py_tp_doc, const_cast<char*>(stub_doc(MODULE_IDENT).data())},
    {0, nullptr},
};
PyType_Spec module_spec = make_spec<ModuleIdent>("builtins.ModuleIdent", IDENT_FLAGS, module_slots);

}  // namespace

void throw_foreign_identity(std::string_view abs_name) { throw ForeignIdentity(abs_name); }

LazyClass& slice_class() {
    static LazyClass cls("Slice", &slice_spec);
    return cls;
}
LazyClass& hcp_ident_class() {
    static LazyClass cls("HcpIdent", &hcp_spec);
    return cls;
}
LazyClass& flow_block_ident_class() {
    static LazyClass cls("FlowBlockIdent", &fb_spec);
    return cls;
}
LazyClass& ccp_ident_class() {
    static LazyClass cls("CcpIdent", &ccp_spec);
    return cls;
}
LazyClass& module_ident_class() {
    static LazyClass cls("ModuleIdent", &module_spec);
    return cls;
}

}  // namespace vorlent::py

#include "applications/py/runtime/docstring.hpp"

#include <string>

#include "common/fatal.hpp"
#include "common/text.hpp"

namespace vorlent::py {

namespace {

// Whether `owner.member` (the class `owner` when `member` is empty) is
// defined by the module itself: a class among its attributes, a member in the
// class's own namespace.
bool module_defines(PyObject* module, const StubDoc& d) {
    PyRef owner(PyObject_GetAttrString(module, std::string(d.owner).c_str()));
    if (!owner || !PyType_Check(owner.get())) return false;
    if (d.member.empty()) return true;
    PyRef names(PyObject_GetAttrString(owner.get(), "__dict__"));
    return names && PyMapping_HasKeyString(names.get(), std::string(d.member).c_str());
}

}  // namespace

void check_stub_docs(PyObject* module) {
    for (const StubDoc& d : STUB_DOCS) {
        if (module_defines(module, d)) continue;
        PyErr_Clear();
        fatal(format("_vorlent.pyi documents {}{}{}, which the extension does not define", d.owner,
                     d.member.empty() ? "" : ".", d.member));
    }
}

}  // namespace vorlent::py

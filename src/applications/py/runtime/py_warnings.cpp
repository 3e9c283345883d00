#include "applications/py/runtime/py_warnings.hpp"

#include "applications/py/runtime/arg_checks.hpp"
#include "applications/py/runtime/py_error.hpp"

namespace vorlent::py {

void warn(std::string_view message) {
    PyRef warnings(PyImport_ImportModule("warnings"));
    if (!warnings) throw_python_error();
    PyRef text(PyUnicode_FromStringAndSize(message.data(), Py_ssize_t(message.size())));
    if (!text) throw_python_error();
    PyRef result(PyObject_CallMethod(warnings.get(), "warn", "O", text.get()));
    if (!result) throw_python_error();
}

void warn_asm_resize(uint32_t kind, int32_t src_width, int32_t des_width,
                     std::string_view des_name) {
    if (auto message = asm_resize_message(kind, src_width, des_width, des_name)) warn(*message);
}

void warn_int_cuts(const IntCuts& cuts) {
    for (const IntCut& cut : cuts) warn(int_cut_message(cut));
}

}  // namespace vorlent::py

#include "applications/py/runtime/py_error.hpp"

#include <atomic>
#include <cstdint>
#include <exception>
#include <new>
#include <stdexcept>

#include "common/fatal.hpp"
#include "common/interrupt.hpp"
#include "common/text.hpp"

namespace vorlent::py {

namespace {
// Process-wide, like the classes: made by the first start-up of the module,
// before any class exists, and kept for the life of the process. Only that
// start-up writes it, so threads that raise through it only ever read it.
PyObject* PANIC_EXCEPTION = nullptr;

// With its length, so a message that quotes a name holding a NUL byte
// arrives whole.
void set_error(PyObject* exc_class, std::string_view message) {
    PyRef text(PyUnicode_DecodeUTF8(message.data(), Py_ssize_t(message.size()), "replace"));
    if (text) PyErr_SetObject(exc_class, text.get());
}

void keep_set_exception() {
    if (!PyErr_Occurred()) PyErr_SetString(PyExc_SystemError, "error return without exception set");
}

// The tests' hook (signal_at_check): the number of the check that first
// simulates a SIGINT (0: none, and the checks are not counted), and the
// checks counted since the hook was last set.
std::atomic<uint64_t> SIGNAL_AT{0};
std::atomic<uint64_t> CHECKS_COUNTED{0};

void count_check() {
    const uint64_t n = CHECKS_COUNTED.fetch_add(1, std::memory_order_relaxed) + 1;
    if (n == SIGNAL_AT.load(std::memory_order_relaxed)) PyErr_SetInterrupt();
}

// Runs the interpreter's signal handlers; only the main thread runs them, on
// any other PyErr_CheckSignals returns at once. A handler that raises (the
// default one of SIGINT raises KeyboardInterrupt) leaves its exception set.
bool python_wants_stop() {
    if (SIGNAL_AT.load(std::memory_order_relaxed) != 0) [[unlikely]]
        count_check();
    return PyErr_CheckSignals() != 0;
}
}  // namespace

bool make_panic_exception_class() {
    if (PANIC_EXCEPTION) return true;
    PANIC_EXCEPTION = PyErr_NewExceptionWithDoc(
        "vorlent._vorlent.PanicException",
        "Raised when a call breaks an invariant of the model. Its argument is the message.",
        PyExc_BaseException, nullptr);
    return PANIC_EXCEPTION != nullptr;
}

void install_interrupt_check() { set_interrupt_check(&python_wants_stop); }

uint64_t signal_at_check(uint64_t n) {
    SIGNAL_AT.store(0, std::memory_order_relaxed);
    const uint64_t counted = CHECKS_COUNTED.exchange(0, std::memory_order_relaxed);
    SIGNAL_AT.store(n, std::memory_order_relaxed);
    return counted;
}

void raise_panic(std::string_view message) {
    // Only a failed start-up leaves the class unmade, and then no method is
    // reachable; say so rather than raise nothing.
    set_error(PANIC_EXCEPTION ? PANIC_EXCEPTION : PyExc_SystemError, message);
}

void raise_error_text(const ErrorText& error) {
    set_error(error.kind == ErrorText::Kind::Type ? PyExc_TypeError : PyExc_ValueError,
              error.message);
}

PyObject* raise_current_exception() noexcept {
    try {
        throw;
    } catch (const PythonErrorSet&) {
        keep_set_exception();
    } catch (const Interrupted&) {
        // The signal handler that asked for the stop left its exception.
        keep_set_exception();
    } catch (const FatalError& e) {
        raise_panic(e.message());
    } catch (const ErrorText& e) {
        raise_error_text(e);
    } catch (const NestingTooDeep& e) {
        set_error(
            PyExc_RecursionError,
            format("{}: calls that run Python functions nest more than {} deep on this thread",
                   e.method, e.max_depth));
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::length_error&) {
        // A size past what a container can hold: memory that cannot be had.
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        // Any other C++ error (an out-of-range access) is a broken invariant
        // as well.
        raise_panic(e.what());
    } catch (...) {
        raise_panic("unknown C++ exception");
    }
    return nullptr;
}

bool failure_keeps_made() noexcept {
    return PyErr_ExceptionMatches(PyExc_Warning) ||
           (PANIC_EXCEPTION && PyErr_ExceptionMatches(PANIC_EXCEPTION));
}

std::string type_name_of(PyObject* obj) {
    PyRef name(PyType_GetName(Py_TYPE(obj)));
    if (!name) {
        PyErr_Clear();
        return Py_TYPE(obj)->tp_name;
    }
    Py_ssize_t len = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(name.get(), &len);
    if (!utf8) {
        PyErr_Clear();
        return Py_TYPE(obj)->tp_name;
    }
    return std::string(utf8, size_t(len));
}

void raise_not_instance(PyObject* obj, std::string_view class_name) {
    set_error(PyExc_TypeError,
              format("'{}' object is not an instance of '{}'", type_name_of(obj), class_name));
}

void raise_not_class_instance(PyObject* obj, std::string_view class_name) {
    if (obj == Py_None)
        set_error(PyExc_TypeError, format("'None' is not an instance of '{}'", class_name));
    else
        raise_not_instance(obj, class_name);
}

PyRef fetch_exception() {
#if PY_VERSION_HEX >= 0x030C0000
    return PyRef(PyErr_GetRaisedException());
#else
    PyObject *type = nullptr, *value = nullptr, *tb = nullptr;
    PyErr_Fetch(&type, &value, &tb);
    if (!type) return PyRef();
    PyErr_NormalizeException(&type, &value, &tb);
    if (tb && value) PyException_SetTraceback(value, tb);
    Py_XDECREF(type);
    Py_XDECREF(tb);
    return PyRef(value);
#endif
}

void restore_exception(PyRef exc) {
    if (!exc) return;
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(exc.release());
#else
    PyObject* value = exc.release();
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(value));
    Py_INCREF(type);
    PyErr_Restore(type, value, PyException_GetTraceback(value));
#endif
}

std::string exception_text(PyObject* exc) {
    PyRef text(PyObject_Str(exc));
    if (!text) {
        PyErr_Clear();
        return {};
    }
    Py_ssize_t len = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text.get(), &len);
    if (!utf8) {
        PyErr_Clear();
        return {};
    }
    return std::string(utf8, size_t(len));
}

void reraise_as_argument_error(std::string_view param_name, bool name_range_errors) {
    PyObject* named_class = nullptr;
    if (PyErr_ExceptionMatches(PyExc_TypeError))
        named_class = PyExc_TypeError;
    else if (PyErr_ExceptionMatches(PyExc_UnicodeEncodeError))
        named_class = PyExc_ValueError;
    else if (name_range_errors && PyErr_ExceptionMatches(PyExc_OverflowError))
        named_class = PyExc_OverflowError;
    if (!named_class) return;
    PyRef original = fetch_exception();
    const std::string message =
        format("argument '{}': {}", param_name, exception_text(original.get()));
    PyRef text(PyUnicode_FromStringAndSize(message.data(), Py_ssize_t(message.size())));
    if (!text) return;
    PyRef replacement(PyObject_CallOneArg(named_class, text.get()));
    if (!replacement) return;
    PyException_SetCause(replacement.get(), original.release());  // steals the cause
    restore_exception(std::move(replacement));
}

void report_unraisable(PyObject* exc_class, const std::string& message) {
    PyRef pending = fetch_exception();
    PyErr_SetString(exc_class, message.c_str());
    PyErr_WriteUnraisable(nullptr);
    restore_exception(std::move(pending));
}

}  // namespace vorlent::py

// How failures leave the extension. The model reports a failure the caller
// can fix as an ErrorText and a broken invariant as a thrown FatalError; the
// Python layer's own helpers throw PythonErrorSet when a Python call has
// already set an exception. `raise_current_exception` is the one place where
// all of them become Python exceptions, so no C++ exception ever reaches the
// interpreter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "applications/py/runtime/py_ref.hpp"
#include "common/error_text.hpp"

namespace vorlent::py {

// Thrown by code that called into Python and got an error: the Python
// exception is already set and only needs to travel up.
struct PythonErrorSet {};

[[noreturn]] inline void throw_python_error() { throw PythonErrorSet{}; }

// Thrown when calls that run Python functions nest deeper on one thread than
// its C stack safely holds; becomes RecursionError.
struct NestingTooDeep {
    std::string_view method;
    int max_depth;
};

// Turns the exception being handled (call only inside a catch block) into the
// matching Python exception and returns null for the caller to return:
// PythonErrorSet and Interrupted keep the set exception; ErrorText raises
// ValueError or TypeError; NestingTooDeep raises RecursionError; FatalError
// and any other C++ error raise PanicException with the message;
// std::bad_alloc and std::length_error raise MemoryError.
PyObject* raise_current_exception() noexcept;

// Whether the exception a failed call has set leaves what the call made in
// the model: a panic keeps what the call changed, and a warning turned into
// an error reports a change that was made. Any other failure (ValueError,
// TypeError, MemoryError, an exception a Python function raised) ends a call
// that made nothing the caller can use.
bool failure_keeps_made() noexcept;

// ValueError, or TypeError for a check about an argument's kind.
void raise_error_text(const ErrorText& error);

// The value, or its error text thrown for raise_current_exception.
template <class T>
T value_or_throw(Result<T> result) {
    if (!result.ok()) throw std::move(result.error());
    return std::move(result.value());
}

// Lets the core's long calls stop when a signal handler raises (Ctrl-C:
// KeyboardInterrupt), which becomes the call's exception. Run at start-up.
void install_interrupt_check();

// For tests (the module's `_signal_at_check`): from now on the installed
// check counts its calls, and the n-th first simulates the arrival of SIGINT
// (PyErr_SetInterrupt), so that a test can stop a call at each of its checks
// without timing; 0 stops counting. Returns the checks counted since the
// previous call.
uint64_t signal_at_check(uint64_t n);

// Raises PanicException with the message.
void raise_panic(std::string_view message);

// Makes the exception class through which broken invariants reach Python,
// once, at the module's start-up (so no two threads can race to make it).
// It derives from BaseException, so `except Exception` does not swallow it,
// and it is not an attribute of the module. False with an exception set
// when it cannot be made.
bool make_panic_exception_class();

// The `__name__` of an object's type ("int", "NoneType", "HcpIdent").
std::string type_name_of(PyObject* obj);

// TypeError "'{}' object is not an instance of '{}'".
void raise_not_instance(PyObject* obj, std::string_view class_name);
// The same for an argument that must be one of the extension's classes;
// None reads "'None' is not an instance of '{}'".
void raise_not_class_instance(PyObject* obj, std::string_view class_name);

// The exception currently set, taken out of the error indicator (normalised
// to an instance), and putting one back. Null when none is set.
PyRef fetch_exception();
void restore_exception(PyRef exc);

// str() of an exception instance, or an empty text when that fails.
std::string exception_text(PyObject* exc);

// If the set exception is a TypeError, replaces it by TypeError
// "argument '{}': {}" whose cause is the original; a UnicodeEncodeError (a
// str with no UTF-8 form) the same way by a ValueError, and, when
// `name_range_errors`, an OverflowError by an OverflowError. Other
// exceptions stay; so does a method's OverflowError, whose text is the
// interpreter's.
void reraise_as_argument_error(std::string_view param_name, bool name_range_errors = false);

// Reports an exception of the given class with the message through the
// interpreter's unraisable hook; an exception set on entry is kept.
void report_unraisable(PyObject* exc_class, const std::string& message);

}  // namespace vorlent::py

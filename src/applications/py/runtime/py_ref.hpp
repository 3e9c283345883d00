// An owned (strong) reference to a Python object, released when it goes out
// of scope. Every Python call that hands back a new reference is held in one,
// so early returns on errors never leak.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace vorlent::py {

class PyRef {
public:
    PyRef() = default;
    // Takes over a new reference (may be null, e.g. when the call that made it failed).
    explicit PyRef(PyObject* owned) : obj_(owned) {}
    // Adds a reference to a borrowed object.
    static PyRef borrow(PyObject* obj) {
        Py_XINCREF(obj);
        return PyRef(obj);
    }
    PyRef(PyRef&& o) noexcept : obj_(std::exchange(o.obj_, nullptr)) {}
    PyRef& operator=(PyRef&& o) noexcept {
        if (this != &o) {
            Py_XDECREF(obj_);
            obj_ = std::exchange(o.obj_, nullptr);
        }
        return *this;
    }
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;
    ~PyRef() { Py_XDECREF(obj_); }

    PyObject* get() const { return obj_; }
    // Hands the reference to the caller.
    PyObject* release() { return std::exchange(obj_, nullptr); }
    explicit operator bool() const { return obj_ != nullptr; }

private:
    PyObject* obj_ = nullptr;
};

}  // namespace vorlent::py

#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace plovarn {

// Owner of one strong reference. Every owned PyObject* in the module lives in one
// of these, so that error paths clean up by returning.
class PyRef {
public:
    PyRef() = default;
    static PyRef steal(PyObject* obj) { return PyRef(obj); }
    static PyRef borrow(PyObject* obj) {
        Py_XINCREF(obj);
        return PyRef(obj);
    }
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;
    PyRef(PyRef&& other) noexcept : obj_(std::exchange(other.obj_, nullptr)) {}
    PyRef& operator=(PyRef&& other) noexcept {
        if (this != &other) {
            PyObject* old = std::exchange(obj_, std::exchange(other.obj_, nullptr));
            Py_XDECREF(old);
        }
        return *this;
    }
    ~PyRef() { Py_XDECREF(obj_); }

    PyObject* get() const { return obj_; }
    explicit operator bool() const { return obj_ != nullptr; }
    // Hands the reference to the caller (for returning to the interpreter or
    // passing to a function that steals it).
    PyObject* release() { return std::exchange(obj_, nullptr); }
    void reset() { PyRef().swap(*this); }
    void swap(PyRef& other) noexcept { std::swap(obj_, other.obj_); }

private:
    explicit PyRef(PyObject* obj) : obj_(obj) {}
    PyObject* obj_ = nullptr;
};

}  // namespace plovarn

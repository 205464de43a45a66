#pragma once

// Instance layouts of the three classes and the access guard of their native part.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>
#include <utility>

#include "lib/module_state.h"
#include "lib/py_ref.h"
#include "types/node.h"

namespace plovarn {

// One writer or any number of readers; never waits. A refused request raises
// RuntimeError at once. Eight bytes, which keeps a YamlMapping object in the next
// smaller allocation class; every reader is a live native frame, so the count
// cannot come near its range.
struct AccessGuard {
    std::uint32_t readers = 0;
    bool writing = false;
};

// Scoped read access to a guarded native part. Check ok() right after
// construction; when it is false a Python exception is set.
class ReadAccess {
public:
    ReadAccess(AccessGuard& guard, const char* type_name);
    ~ReadAccess() { release(); }
    ReadAccess(ReadAccess&& other) noexcept : guard_(std::exchange(other.guard_, nullptr)) {}
    ReadAccess(const ReadAccess&) = delete;
    ReadAccess& operator=(const ReadAccess&) = delete;
    bool ok() const { return guard_ != nullptr; }
    void release() {
        if (guard_) --guard_->readers;
        guard_ = nullptr;
    }

private:
    AccessGuard* guard_ = nullptr;
};

// Scoped write access; the same contract as ReadAccess.
class WriteAccess {
public:
    WriteAccess(AccessGuard& guard, const char* type_name);
    ~WriteAccess() { release(); }
    WriteAccess(const WriteAccess&) = delete;
    WriteAccess& operator=(const WriteAccess&) = delete;
    bool ok() const { return guard_ != nullptr; }
    void release() {
        if (guard_) guard_->writing = false;
        guard_ = nullptr;
    }

private:
    AccessGuard* guard_ = nullptr;
};

struct PyYamlMapping {
    PyDictObject dict;
    AccessGuard guard;
    types::YamlMapping inner;
};

struct PyYamlSequence {
    PyListObject list;
    AccessGuard guard;
    types::ItemArray inner;
};

struct PyYamlScalar {
    PyObject_HEAD
    AccessGuard guard;
    types::YamlNode node;
};

// Creation of the class objects of `module`, in the order the module registers
// them; empty with a Python exception set on failure.
PyRef create_yaml_scalar_type(PyObject* module);
PyRef create_yaml_mapping_type(PyObject* module);
PyRef create_yaml_sequence_type(PyObject* module);

// New instances with the given native part and an empty parent container (the
// conversion fills it); empty with a Python exception set on failure.
PyRef new_yaml_mapping(const ClassObjects& classes, types::YamlMapping inner);
PyRef new_yaml_sequence(const ClassObjects& classes, types::ItemArray inner);
PyRef new_yaml_scalar(const ClassObjects& classes, types::YamlNode node);

// Destruction of each class's native part and then its base part.
void yaml_mapping_dealloc(PyObject* self);
void yaml_sequence_dealloc(PyObject* self);
void yaml_scalar_dealloc(PyObject* self);

// Whether `o` is an instance of one of the classes, of whichever module object
// (reimported, or another interpreter's: the layout is the same). A class's
// destructor is its own and the classes cannot be subclassed, so it tells the
// class with one comparison and without the module's state.
inline bool is_yaml_mapping(PyObject* o) { return Py_TYPE(o)->tp_dealloc == yaml_mapping_dealloc; }
inline bool is_yaml_sequence(PyObject* o) { return Py_TYPE(o)->tp_dealloc == yaml_sequence_dealloc; }
inline bool is_yaml_scalar(PyObject* o) { return Py_TYPE(o)->tp_dealloc == yaml_scalar_dealloc; }
inline PyYamlMapping* as_mapping(PyObject* o) { return reinterpret_cast<PyYamlMapping*>(o); }
inline PyYamlSequence* as_sequence(PyObject* o) { return reinterpret_cast<PyYamlSequence*>(o); }
inline PyYamlScalar* as_scalar(PyObject* o) { return reinterpret_cast<PyYamlScalar*>(o); }

}  // namespace plovarn

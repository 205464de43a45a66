#pragma once

// Instance layouts of the three classes and the access guard of their native part.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>
#include <utility>

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

// The class objects, created by the module's execution step.
extern PyTypeObject* yaml_mapping_type;
extern PyTypeObject* yaml_sequence_type;
extern PyTypeObject* yaml_scalar_type;

// Creation of the class objects, in the order the module registers them. Each
// sets its global above on success.
PyRef create_yaml_scalar_type(PyObject* module);
PyRef create_yaml_mapping_type(PyObject* module);
PyRef create_yaml_sequence_type(PyObject* module);

// New instances with the given native part and an empty parent container (the
// conversion fills it); empty with a Python exception set on failure.
PyRef new_yaml_mapping(types::YamlMapping inner);
PyRef new_yaml_sequence(types::ItemArray inner);
PyRef new_yaml_scalar(types::YamlNode node);

inline bool is_yaml_mapping(PyObject* o) { return Py_IS_TYPE(o, yaml_mapping_type); }
inline bool is_yaml_sequence(PyObject* o) { return Py_IS_TYPE(o, yaml_sequence_type); }
inline bool is_yaml_scalar(PyObject* o) { return Py_IS_TYPE(o, yaml_scalar_type); }
inline PyYamlMapping* as_mapping(PyObject* o) { return reinterpret_cast<PyYamlMapping*>(o); }
inline PyYamlSequence* as_sequence(PyObject* o) { return reinterpret_cast<PyYamlSequence*>(o); }
inline PyYamlScalar* as_scalar(PyObject* o) { return reinterpret_cast<PyYamlScalar*>(o); }

}  // namespace plovarn

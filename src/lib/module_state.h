#pragma once

// The module's state: the three class objects of one module object and the key
// objects its loads share. Each interpreter that imports the module has its own
// module object, and so its own classes and keys; nothing of them is kept in
// process-wide variables.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace plovarn {

namespace convert_detail {
class KeyCache;
}

struct ClassObjects {
    PyTypeObject* scalar = nullptr;
    PyTypeObject* mapping = nullptr;
    PyTypeObject* sequence = nullptr;
};

// Zeroed memory when the module object is made, filled by its execution step.
struct ModuleState {
    ClassObjects classes;
    // Made by the execution step, emptied when the module is cleared and freed
    // with it.
    convert_detail::KeyCache* keys;
};

extern PyModuleDef module_def;

inline ModuleState& state_of_module(PyObject* module) {
    return *static_cast<ModuleState*>(PyModule_GetState(module));
}

inline ClassObjects& classes_of_module(PyObject* module) { return state_of_module(module).classes; }

// The class objects of the module that made the class of `self`, an instance of
// one of the three classes: found once per method call and handed down to the
// conversions.
inline const ClassObjects& classes_of(PyObject* self) {
    return classes_of_module(PyType_GetModuleByDef(Py_TYPE(self), &module_def));
}

}  // namespace plovarn

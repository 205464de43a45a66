#pragma once

// The module's state: the three class objects of one module object. Each
// interpreter that imports the module has its own module object, and so its own
// classes; nothing of them is kept in process-wide variables.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace plovarn {

struct ClassObjects {
    PyTypeObject* scalar = nullptr;
    PyTypeObject* mapping = nullptr;
    PyTypeObject* sequence = nullptr;
};

extern PyModuleDef module_def;

inline ClassObjects& classes_of_module(PyObject* module) {
    return *static_cast<ClassObjects*>(PyModule_GetState(module));
}

// The class objects of the module that made the class of `self`, an instance of
// one of the three classes: found once per method call and handed down to the
// conversions.
inline const ClassObjects& classes_of(PyObject* self) {
    return classes_of_module(PyType_GetModuleByDef(Py_TYPE(self), &module_def));
}

}  // namespace plovarn

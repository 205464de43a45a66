#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstring>

namespace plovarn {

// numpy's boolean scalar, recognised by its type name so that numpy is never
// imported: "numpy.bool_" before numpy 2, "numpy.bool" since. It is neither an
// int nor has it __index__, so only its name tells it from a number.
inline bool is_numpy_bool(PyObject* obj) {
    const char* name = Py_TYPE(obj)->tp_name;
    return std::strcmp(name, "numpy.bool_") == 0 || std::strcmp(name, "numpy.bool") == 0;
}

}  // namespace plovarn

#pragma once

// copy.copy and copy.deepcopy of the three classes, for their method tables.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace plovarn {

// "__copy__" and "__deepcopy__" of a YamlMapping, YamlSequence or YamlScalar.
PyMethodDef copy_method_def();
PyMethodDef deepcopy_method_def();

}  // namespace plovarn

#pragma once

// Rebuilding the Python-visible parent container of a YamlMapping or YamlSequence
// from its `inner`, after an operation that reordered or replaced many entries.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "lib/module_state.h"

namespace plovarn {

// Replaces the parent dict's contents by node_to_py of every entry of `inner`, in
// order. All values are built before the dict is touched, so a failed conversion
// leaves the dict as it was. Returns false with an exception set.
bool rebuild_parent_dict(const ClassObjects& classes, PyObject* self);

// The same for the parent list of a YamlSequence.
bool rebuild_parent_list(const ClassObjects& classes, PyObject* self);

}  // namespace plovarn

#pragma once

// Rebuilding the Python-visible parent container of a YamlMapping or YamlSequence
// from its `inner`, after an operation that reordered or replaced many entries.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "lib/module_state.h"
#include "types/node.h"

namespace plovarn {

// Replace the parent dict's or list's contents by node_to_py of every entry or
// element of `inner`, in order, after an edit that changed `inner`, which was
// `before`. All values are built before the container is touched. When the
// rebuild fails (a tree too deep to convert, memory running out), `inner` is put
// back to `before` and the parent container with it, so that the failed edit
// changes neither. Return false with the rebuild's exception set.
bool rebuild_parent_dict_or_undo(const ClassObjects& classes, PyObject* self, types::YamlMapping before);
bool rebuild_parent_list_or_undo(const ClassObjects& classes, PyObject* self, types::ItemArray before);

}  // namespace plovarn

#pragma once

// Rebuilding the Python-visible parent container of a YamlMapping or YamlSequence
// from its `inner`, after an operation that reordered or replaced many entries.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <functional>

#include "lib/module_state.h"
#include "types/node.h"

namespace plovarn {

// Takes back the edit of `inner` that a rebuild followed, when the rebuild fails.
template <class Inner>
using Undo = std::function<void(Inner&)>;

// Replaces the parent dict's contents by node_to_py of every entry of `inner`, in
// order. All values are built before the dict is touched, so a failed conversion
// leaves the dict as it was; a dict that failed to take them all (memory running
// out) is filled again. When the rebuild fails (a tree too deep to convert,
// memory running out), `undo`, if given, runs on `inner` first, so that the
// failed edit changes neither. Returns false with the rebuild's exception set.
bool rebuild_parent_dict(const ClassObjects& classes, PyObject* self, const Undo<types::YamlMapping>& undo = {});

// The same for the parent list of a YamlSequence, which a failure leaves as it was.
bool rebuild_parent_list(const ClassObjects& classes, PyObject* self, const Undo<types::ItemArray>& undo = {});

}  // namespace plovarn

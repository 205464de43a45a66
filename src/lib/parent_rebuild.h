#pragma once

// Rebuilding the Python-visible parent container of a YamlMapping or YamlSequence
// from its `inner`, after an operation that reordered or replaced many entries.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <functional>

#include "lib/module_state.h"
#include "types/node.h"

namespace plovarn {

// Replaces the parent dict's contents by node_to_py of every entry of `inner`, in
// order. All values are built before the dict is touched, so a failed conversion
// leaves the dict as it was; a dict that failed to take them all (memory running
// out) is filled again. Returns false with an exception set.
bool rebuild_parent_dict(const ClassObjects& classes, PyObject* self);

// The same after an edit of `inner` that `undo` takes back: when the rebuild
// fails (a tree too deep to convert, memory running out), `undo` runs on
// `inner`, and a dict that the failed rebuild had touched is filled again from
// it, so that the failed edit changes neither. The rebuild's exception stays the
// one reported.
bool rebuild_parent_dict_or_undo(const ClassObjects& classes, PyObject* self,
                                 const std::function<void(types::YamlMapping&)>& undo);

// The same for the parent list of a YamlSequence, which a failure leaves as it was.
bool rebuild_parent_list(const ClassObjects& classes, PyObject* self);

}  // namespace plovarn

#pragma once

// Undoing an edit of a native part whose Python half then failed to follow it
// (memory running out, a tree too deep to convert): both halves must stay in
// step, or the object writes values that its dict or list no longer shows.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "lib/objects.h"
#include "lib/saved_exception.h"

namespace plovarn {

// Runs `undo` under write access to the native part guarded by `guard`. The
// failed edit's exception stays the one reported.
template <class Undo>
void take_back(AccessGuard& guard, const char* type_name, Undo&& undo) {
    SavedException error = SavedException::take();
    {
        WriteAccess write(guard, type_name);
        if (write.ok()) undo();
    }
    PyErr_Clear();
    error.restore();
}

}  // namespace plovarn

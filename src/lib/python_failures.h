#pragma once

// Telling an ordinary failure of the caller's code, which the module may answer by
// trying another way or by reporting it in its own words, from an interruption
// (KeyboardInterrupt, SystemExit, GeneratorExit: a BaseException that is no
// Exception), which must reach the caller unchanged.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace plovarn {

// Whether the pending exception is an Exception, not an interruption.
inline bool ordinary_failure_pending() { return PyErr_ExceptionMatches(PyExc_Exception) != 0; }

// Clears the pending exception when it is an Exception and returns true; leaves
// an interruption pending and returns false.
inline bool clear_ordinary_failure() {
    if (!ordinary_failure_pending()) return false;
    PyErr_Clear();
    return true;
}

}  // namespace plovarn

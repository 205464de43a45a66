#pragma once

// The one way the module holds an exception aside: a failure that must survive
// further calls into the interpreter (a sort that goes on after a comparison
// raised, a clean-up after a failed update), or one that is reported in other
// words (a failed write, a failed index conversion).

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "lib/py_ref.h"

namespace plovarn {

class SavedException {
public:
    SavedException() = default;

    // Takes the pending exception, normalised to an instance, and clears it;
    // empty when none is pending.
    static SavedException take();

    bool empty() const { return !value_; }
    // The exception instance (borrowed); nullptr when empty.
    PyObject* value() const { return value_.get(); }
    PyTypeObject* type() const { return Py_TYPE(value_.get()); }

    // Makes the held exception the pending one again, replacing any other, and
    // leaves this empty.
    void restore();

private:
    PyRef value_;
#if PY_VERSION_HEX < 0x030C0000
    PyRef traceback_;
#endif
};

}  // namespace plovarn

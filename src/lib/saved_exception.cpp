#include "lib/saved_exception.h"

namespace plovarn {

SavedException SavedException::take() {
    SavedException saved;
#if PY_VERSION_HEX >= 0x030C0000
    saved.value_ = PyRef::steal(PyErr_GetRaisedException());
#else
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    if (type == nullptr) return saved;
    PyErr_NormalizeException(&type, &value, &traceback);
    PyRef owned_type = PyRef::steal(type);
    saved.value_ = PyRef::steal(value);
    saved.traceback_ = PyRef::steal(traceback);
    if (saved.traceback_ && saved.value_) PyException_SetTraceback(saved.value_.get(), saved.traceback_.get());
#endif
    return saved;
}

void SavedException::restore() {
    if (empty()) return;
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(value_.release());
#else
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(value_.get()));
    Py_INCREF(type);
    PyErr_Restore(type, value_.release(), traceback_.release());
#endif
}

}  // namespace plovarn

#pragma once

// The str under which a YamlMapping stores a key in its parent dict, and the
// KeyError that names a missing key.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string_view>

#include "lib/py_ref.h"

namespace plovarn {

// An exact str holding the text of `key` (a str or subclass whose UTF-8 text is
// `text`): `key` itself when it is an exact str.
inline PyRef exact_str(PyObject* key, std::string_view text) {
    if (PyUnicode_CheckExact(key)) return PyRef::borrow(key);
    return PyRef::steal(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

// Sets KeyError whose single argument is the key as an exact str.
inline void set_key_error(PyObject* key, std::string_view text) {
    PyRef arg = exact_str(key, text);
    if (arg) PyErr_SetObject(PyExc_KeyError, arg.get());
}

}  // namespace plovarn

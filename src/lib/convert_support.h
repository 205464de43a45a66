#pragma once

// Helpers shared by the two directions of the conversion.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "lib/py_ref.h"
#include "types/node.h"
#include "types/utf8.h"

namespace plovarn::convert_detail {

// The conversions walk trees and Python containers with a stack of their own,
// not the native one, so the interpreter's recursion limit plays no part: a tree
// as deep as the reader builds converts whatever the limit is set to. Opening
// one more level than a tree may hold, which is what a container holding itself
// comes to, raises RecursionError and returns false.
inline bool may_open_level(std::size_t depth, const char* where) {
    if (depth < types::max_nesting_depth) return true;
    PyErr_Format(PyExc_RecursionError, "maximum YAML nesting depth exceeded%s", where);
    return false;
}

// A new str from text known to be ASCII, copied straight into a compact str.
inline PyRef ascii_str(std::string_view s) {
    PyObject* str = PyUnicode_New(static_cast<Py_ssize_t>(s.size()), 127);
    if (str != nullptr && !s.empty()) std::memcpy(PyUnicode_1BYTE_DATA(str), s.data(), s.size());
    return PyRef::steal(str);
}

// A new str from UTF-8 text.
inline PyRef str_from_utf8(std::string_view s) {
    if (types::is_ascii(s)) return ascii_str(s);
    return PyRef::steal(PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), "strict"));
}

}  // namespace plovarn::convert_detail

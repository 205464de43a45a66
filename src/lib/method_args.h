#pragma once

// Conversions of single method arguments (texts, indices, flags) with the
// module's wording for wrong types.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <optional>
#include <string_view>

#include "types/opt_text.h"

namespace plovarn {

// The UTF-8 text of a str (or subclass) argument, valid while `obj` lives.
// nullopt with TypeError "argument '<name>': ..." set otherwise.
std::optional<std::string_view> text_arg(const char* name, PyObject* obj);

// The same without the argument prefix: "'<type>' object is not an instance of 'str'".
std::optional<std::string_view> text_value(PyObject* obj);

// An index converted as list.pop and list.insert take theirs: an int beyond the
// range of an index raises OverflowError. A failed conversion's TypeError gets the
// prefix "argument '<name>': "; other errors pass unchanged.
std::optional<long> index_arg(const char* name, PyObject* obj);

// An index that names an existing element, converted as list's item access does:
// an int beyond the range of an index is out of range, IndexError "cannot fit
// 'int' into an index-sized integer". TypeErrors as for index_arg.
std::optional<long> item_index_arg(const char* name, PyObject* obj);

// A flag that must be a bool (or numpy's boolean type); `obj` may be nullptr
// (not given), which yields false.
std::optional<bool> flag_arg(const char* name, PyObject* obj);

// A new exact str holding the text of `key`: `key` itself when it is an exact str.
PyObject* exact_str(PyObject* key, std::string_view text);

// Entries of a method table: every method takes the fast calling convention with
// keywords, so that each parameter can be given by position or by name.
using FastMethod = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
inline PyCFunction fastcall(FastMethod f) { return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f)); }
inline constexpr int fastcall_flags = METH_FASTCALL | METH_KEYWORDS;

// A comment as a new str, or None when it is absent.
PyObject* comment_to_py(const types::OptText& comment);

// KeyError whose single argument is the key text. Returns nullptr.
PyObject* key_error(PyObject* key, std::string_view text);

}  // namespace plovarn

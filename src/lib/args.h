#pragma once

// Argument handling shared by every function, method and constructor: the fast
// calling convention with keywords, every parameter by position or by keyword,
// the interpreter's usual wording for argument errors, and the conversions of
// single arguments (texts, indices, flags).

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace plovarn {

// Fills out[0..names.size()) with borrowed references, leaving optional
// parameters that were not given as nullptr. `function` is the name used in
// messages, with its parentheses: "dump()", "YamlMapping.pop()". The first
// `required` names are required. Returns false with a TypeError set.
bool parse_args(const char* function, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                std::initializer_list<const char*> names, std::size_t required, PyObject** out);

// The same for a constructor that takes no arguments, called with a tuple and a
// dict: refuses every argument.
bool parse_no_args(const char* function, PyObject* args, PyObject* kwds);

// TypeError "argument '<name>': '<type>' object is not an instance of '<expected>'"
// (for None: "'None' is not an instance of '<expected>'"). Returns false.
bool argument_type_error(const char* name, PyObject* value, const char* expected);

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

// Entries of a method table: every function and method takes the fast calling
// convention with keywords, so that each parameter can be given by position or
// by name.
using FastMethod = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
inline PyCFunction fastcall(FastMethod f) { return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f)); }
inline constexpr int fastcall_flags = METH_FASTCALL | METH_KEYWORDS;

}  // namespace plovarn

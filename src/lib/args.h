#pragma once

// Argument handling shared by every function and method: the fast calling
// convention with keywords, every parameter by position or by keyword, and the
// interpreter's usual wording for argument errors.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstddef>
#include <initializer_list>

namespace plovarn {

// Fills out[0..names.size()) with borrowed references, leaving optional
// parameters that were not given as nullptr. `function` is the name used in
// messages, with its parentheses: "dump()", "YamlMapping.pop()". The first
// `required` names are required. Returns false with a TypeError set.
bool parse_args(const char* function, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                std::initializer_list<const char*> names, std::size_t required, PyObject** out);

// TypeError "argument '<name>': '<type>' object is not an instance of '<expected>'"
// (for None: "'None' is not an instance of '<expected>'"). Returns false.
bool argument_type_error(const char* name, PyObject* value, const char* expected);

}  // namespace plovarn

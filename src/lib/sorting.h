#pragma once

// Sorting of mapping entries and sequence items together with their comments.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "lib/module_state.h"
#include "lib/py_ref.h"
#include "lib/saved_exception.h"
#include "types/node.h"

#include <cstddef>
#include <vector>

namespace plovarn {

enum class Ordering { Less, Equal, Greater };

// a < b, then a > b; a failing comparison is held in `error` and answers Equal.
Ordering py_compare(PyObject* a, PyObject* b, SavedException& error);

// Sorts `map` stably: by key bytes, or by key(key) compared with py_compare;
// reverse flips the sorted order; recursive first sorts mappings that are values
// of entries, depth first. On failure (false, exception set) `map` holds exactly
// what it held before.
bool sort_mapping(types::YamlMapping& map, PyObject* key, bool reverse, bool recursive);

// Sorts items by node_to_py of their nodes, or by key(value). Same failure
// contract as sort_mapping. On success `order` holds the old position of each
// element in its new place (empty for an empty sequence), which undoes the sort.
bool sort_sequence(const ClassObjects& classes, types::ItemArray& items, PyObject* key, bool reverse,
                   std::vector<std::size_t>& order);

// The methods YamlMapping.sort_keys and YamlSequence.sort.
PyObject* yaml_mapping_sort_keys(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* yaml_sequence_sort(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

}  // namespace plovarn

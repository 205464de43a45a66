#pragma once

// Conversion between the native document tree and Python objects. Every function
// returning PyRef returns an empty one with a Python exception set on failure;
// the std::optional ones return nullopt with an exception set. Those that make
// YamlMapping, YamlSequence or YamlScalar objects take the class objects of the
// module that the calling function or method belongs to.

#include <optional>
#include <vector>

#include "lib/module_state.h"
#include "lib/py_ref.h"
#include "types/node.h"

namespace plovarn {

// Document root to YamlMapping / YamlSequence / YamlScalar; takes the tree over.
// The module's key objects serve every mapping of its loads that has the key.
PyRef node_to_doc(const ModuleState& state, types::YamlNode node);
// The documents of one load, in stream order, as a list of such objects; takes
// the trees over.
PyRef docs_to_list(const ModuleState& state, std::vector<types::YamlNode> docs);
// Node to the Python value stored in a parent container (collections become
// YamlMapping / YamlSequence with their own inner).
PyRef node_to_py(const ClassObjects& classes, const types::YamlNode& node);
PyRef scalar_to_py(const types::ScalarValue& value);
// Plain dict / list / scalar copies, comments dropped.
PyRef node_to_dict(const types::YamlNode& node);
PyRef mapping_to_dict(const types::YamlMapping& map);
PyRef sequence_to_dict(const types::ItemArray& items);
// New container objects whose inner is the given tree, parent filled from it.
PyRef mapping_to_py_obj(const ClassObjects& classes, types::YamlMapping map);
PyRef sequence_to_py_obj(const ClassObjects& classes, types::ItemArray items);
// Any supported Python value to a node for storing.
std::optional<types::YamlNode> py_to_node(PyObject* obj);
// A document object to a node for output.
std::optional<types::YamlNode> extract_yaml_node(PyObject* obj);

}  // namespace plovarn

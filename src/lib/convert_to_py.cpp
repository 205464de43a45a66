// Document trees to Python objects: the loaded documents and the values stored in
// the parent containers of YamlMapping and YamlSequence.

#include <utility>

#include "lib/convert.h"
#include "lib/convert_key_cache.h"
#include "lib/convert_support.h"
#include "lib/objects.h"

namespace plovarn {
namespace {

using convert_detail::KeyCache;
using convert_detail::NestingLevel;
using convert_detail::str_from_utf8;

constexpr const char* converting = " while converting a YAML node";

PyRef node_to_py_at(const types::YamlNode& node, std::size_t depth, KeyCache& keys);

// Fills the parent dict of a new YamlMapping that already owns its inner. The
// walk reads a shared copy of the tree, so nothing that runs meanwhile can pull
// it from under the loop.
PyRef mapping_to_py_obj_at(types::YamlMapping map, std::size_t depth, KeyCache& keys) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return PyRef();
    const types::YamlMapping entries = map;
    PyRef obj = new_yaml_mapping(std::move(map));
    if (!obj) return PyRef();
    for (const auto& [key, entry] : entries) {
        PyRef value = node_to_py_at(entry.node, depth + 1, keys);
        if (!value) return PyRef();
        PyRef key_obj = keys.get(key);
        if (!key_obj) return PyRef();
        if (PyDict_SetItem(obj.get(), key_obj.get(), value.get()) < 0) return PyRef();
    }
    return obj;
}

PyRef sequence_to_py_obj_at(types::ItemArray items, std::size_t depth, KeyCache& keys) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return PyRef();
    const types::ItemArray elements = items;
    PyRef obj = new_yaml_sequence(std::move(items));
    if (!obj) return PyRef();
    for (const auto& item : elements) {
        PyRef value = node_to_py_at(item.node, depth + 1, keys);
        if (!value) return PyRef();
        if (PyList_Append(obj.get(), value.get()) < 0) return PyRef();
    }
    return obj;
}

PyRef node_to_py_at(const types::YamlNode& node, std::size_t depth, KeyCache& keys) {
    using Kind = types::YamlNode::Kind;
    switch (node.kind()) {
        case Kind::Mapping: return mapping_to_py_obj_at(node.as_mapping(), depth, keys);
        case Kind::Sequence: return sequence_to_py_obj_at(node.as_sequence(), depth, keys);
        case Kind::Scalar: return scalar_to_py(node.as_scalar());
        case Kind::Null: break;
    }
    return PyRef::borrow(Py_None);
}

PyRef node_to_dict_at(const types::YamlNode& node, std::size_t depth, KeyCache& keys);

PyRef mapping_to_dict_at(const types::YamlMapping& map, std::size_t depth, KeyCache& keys) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return PyRef();
    PyRef dict = PyRef::steal(_PyDict_NewPresized(static_cast<Py_ssize_t>(map.size())));
    if (!dict) return PyRef();
    for (const auto& [key, entry] : map) {
        PyRef value = node_to_dict_at(entry.node, depth + 1, keys);
        if (!value) return PyRef();
        PyRef key_obj = keys.get(key);
        if (!key_obj) return PyRef();
        if (PyDict_SetItem(dict.get(), key_obj.get(), value.get()) < 0) return PyRef();
    }
    return dict;
}

PyRef sequence_to_dict_at(const types::ItemArray& items, std::size_t depth, KeyCache& keys) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return PyRef();
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(items.size())));
    if (!list) return PyRef();
    Py_ssize_t i = 0;
    for (const auto& item : items) {
        PyRef value = node_to_dict_at(item.node, depth + 1, keys);
        if (!value) return PyRef();
        PyList_SET_ITEM(list.get(), i++, value.release());
    }
    return list;
}

PyRef node_to_dict_at(const types::YamlNode& node, std::size_t depth, KeyCache& keys) {
    using Kind = types::YamlNode::Kind;
    switch (node.kind()) {
        case Kind::Mapping: return mapping_to_dict_at(node.as_mapping(), depth, keys);
        case Kind::Sequence: return sequence_to_dict_at(node.as_sequence(), depth, keys);
        case Kind::Scalar: return scalar_to_py(node.as_scalar());
        case Kind::Null: break;
    }
    return PyRef::borrow(Py_None);
}

}  // namespace

PyRef scalar_to_py(const types::ScalarValue& value) {
    using Kind = types::ScalarValue::Kind;
    switch (value.kind()) {
        case Kind::Int: return PyRef::steal(PyLong_FromLongLong(value.as_int()));
        case Kind::Float: return PyRef::steal(PyFloat_FromDouble(value.as_float()));
        case Kind::Bool: return PyRef::borrow(value.as_bool() ? Py_True : Py_False);
        case Kind::Str: return str_from_utf8(value.as_str());
        case Kind::Null: break;
    }
    return PyRef::borrow(Py_None);
}

PyRef node_to_py(const types::YamlNode& node) {
    KeyCache keys;
    return node_to_py_at(node, 0, keys);
}

PyRef node_to_doc(types::YamlNode node) {
    KeyCache keys;
    return node_to_doc(std::move(node), keys);
}

PyRef node_to_doc(types::YamlNode node, convert_detail::KeyCache& keys) {
    using Kind = types::YamlNode::Kind;
    // A loaded document is kept as long as its objects live: drop the slack the
    // reader's growth left, before the levels come to be shared with those objects.
    types::trim_capacity(node);
    switch (node.kind()) {
        case Kind::Mapping: return mapping_to_py_obj_at(std::move(node.as_mapping()), 0, keys);
        case Kind::Sequence: return sequence_to_py_obj_at(std::move(node.as_sequence()), 0, keys);
        case Kind::Scalar:
        case Kind::Null: break;
    }
    return new_yaml_scalar(std::move(node));
}

PyRef mapping_to_py_obj(types::YamlMapping map) {
    KeyCache keys;
    return mapping_to_py_obj_at(std::move(map), 0, keys);
}

PyRef sequence_to_py_obj(types::ItemArray items) {
    KeyCache keys;
    return sequence_to_py_obj_at(std::move(items), 0, keys);
}

PyRef node_to_dict(const types::YamlNode& node) {
    KeyCache keys;
    return node_to_dict_at(node, 0, keys);
}

PyRef mapping_to_dict(const types::YamlMapping& map) {
    KeyCache keys;
    return mapping_to_dict_at(map, 0, keys);
}

PyRef sequence_to_dict(const types::ItemArray& items) {
    KeyCache keys;
    return sequence_to_dict_at(items, 0, keys);
}

}  // namespace plovarn

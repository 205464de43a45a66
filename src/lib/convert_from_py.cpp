// Python objects to document trees: values to be stored (py_to_node) and document
// objects to be written (extract_yaml_node).

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "lib/convert.h"
#include "lib/convert_support.h"
#include "lib/numpy_bool.h"
#include "lib/objects.h"
#include "lib/python_failures.h"

namespace plovarn {
namespace {

using convert_detail::NestingLevel;
using types::ScalarValue;
using types::YamlNode;

constexpr const char* converting = " while converting to a YAML node";

// The outcome of the scalar tests shared by both directions.
enum class Scalar { Converted, NotScalar, Failed };

std::optional<std::string> utf8_of(PyObject* str) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(str, &size);
    if (data == nullptr) return std::nullopt;
    return std::string(data, static_cast<std::size_t>(size));
}

// An integer: an int (or subclass) or an object with __index__. One outside the
// signed 64-bit range is refused: the tree has no other integer, and a float in
// its place would be a different number.
Scalar integer_from_py(PyObject* obj, std::optional<YamlNode>& out) {
    PyRef index;
    PyObject* number = obj;
    if (!PyLong_Check(obj)) {
        if (!PyIndex_Check(obj)) return Scalar::NotScalar;
        index = PyRef::steal(PyNumber_Index(obj));
        if (!index) {
            // An __index__ that refuses its object leaves the other tests to try.
            if (!PyErr_ExceptionMatches(PyExc_TypeError)) return Scalar::Failed;
            PyErr_Clear();
            return Scalar::NotScalar;
        }
        number = index.get();
    }
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(number, &overflow);
    if (overflow != 0) {
        PyErr_SetString(PyExc_OverflowError, "int too large to store in YAML: outside the signed 64-bit range");
        return Scalar::Failed;
    }
    if (value == -1 && PyErr_Occurred()) return Scalar::Failed;
    out = YamlNode(ScalarValue::make_int(value));
    return Scalar::Converted;
}

// None, bool, float, integer, other numbers by __float__, and str, in that order
// of tests. numpy's bool is a bool; a float subclass stays a float even when it
// also defines __index__. Exact int, float and str skip the conversion
// protocols, which they would pass the same way. Kept out of line, like the
// other leaf steps below, so that the recursive functions keep small frames and
// deep nesting stays far from the stack's end.
[[gnu::noinline]] Scalar scalar_from_py(PyObject* obj, std::optional<YamlNode>& out) {
    if (obj == Py_None) {
        out = YamlNode(ScalarValue::make_null());
        return Scalar::Converted;
    }
    if (PyUnicode_CheckExact(obj)) {
        auto text = utf8_of(obj);
        if (!text) return Scalar::Failed;
        out = YamlNode(ScalarValue::make_str(std::move(*text)));
        return Scalar::Converted;
    }
    if (PyBool_Check(obj)) {
        out = YamlNode(ScalarValue::make_bool(obj == Py_True));
        return Scalar::Converted;
    }
    if (PyFloat_Check(obj)) {
        out = YamlNode(ScalarValue::make_float(PyFloat_AS_DOUBLE(obj)));
        return Scalar::Converted;
    }
    if (is_numpy_bool(obj)) {
        const int truth = PyObject_IsTrue(obj);
        if (truth < 0) return Scalar::Failed;
        out = YamlNode(ScalarValue::make_bool(truth == 1));
        return Scalar::Converted;
    }
    if (const Scalar integer = integer_from_py(obj, out); integer != Scalar::NotScalar) return integer;

    const PyNumberMethods* number = Py_TYPE(obj)->tp_as_number;
    if (number != nullptr && number->nb_float != nullptr) {
        const double as_double = PyFloat_AsDouble(obj);
        if (as_double != -1.0 || !PyErr_Occurred()) {
            out = YamlNode(ScalarValue::make_float(as_double));
            return Scalar::Converted;
        }
        // A __float__ that fails leaves the other tests to try; an interrupt stops.
        if (!clear_ordinary_failure()) return Scalar::Failed;
    }

    if (PyUnicode_Check(obj)) {
        auto text = utf8_of(obj);
        if (!text) return Scalar::Failed;
        out = YamlNode(ScalarValue::make_str(std::move(*text)));
        return Scalar::Converted;
    }
    return Scalar::NotScalar;
}

[[gnu::noinline]] std::optional<YamlNode> copy_inner_mapping(PyObject* obj) {
    PyYamlMapping* m = as_mapping(obj);
    ReadAccess access(m->guard, "YamlMapping");
    if (!access.ok()) return std::nullopt;
    return YamlNode(m->inner);
}

[[gnu::noinline]] std::optional<YamlNode> copy_inner_sequence(PyObject* obj) {
    PyYamlSequence* s = as_sequence(obj);
    ReadAccess access(s->guard, "YamlSequence");
    if (!access.ok()) return std::nullopt;
    return YamlNode(s->inner);
}

[[gnu::noinline]] std::optional<YamlNode> copy_scalar_node(PyObject* obj) {
    PyYamlScalar* s = as_scalar(obj);
    ReadAccess access(s->guard, "YamlScalar");
    if (!access.ok()) return std::nullopt;
    return s->node;
}

[[gnu::noinline]] bool key_type_error(PyObject* key) {
    if (key == Py_None) PyErr_SetString(PyExc_TypeError, "'None' is not an instance of 'str'");
    else PyErr_Format(PyExc_TypeError, "'%s' object is not an instance of 'str'", Py_TYPE(key)->tp_name);
    return false;
}

[[gnu::noinline]] void cannot_convert(PyObject* obj) {
    PyRef text = PyRef::steal(PyObject_Str(obj));
    if (text) {
        PyErr_Format(PyExc_RuntimeError, "Cannot convert %U to YAML node", text.get());
    } else if (clear_ordinary_failure()) {
        PyErr_Format(PyExc_RuntimeError, "Cannot convert <unprintable %s object> to YAML node", Py_TYPE(obj)->tp_name);
    }
}

std::optional<YamlNode> py_to_node_at(PyObject* obj, std::size_t depth);

// Stores one converted entry; out of line so that its temporaries stay off the
// frames of the recursion.
[[gnu::noinline]] bool insert_entry(types::YamlMapping& map, PyObject* key, YamlNode& node) {
    auto text = utf8_of(key);
    if (!text) return false;
    map.insert_full(std::move(*text), types::YamlEntry{{}, {}, std::move(node)});
    return true;
}

[[gnu::noinline]] std::optional<YamlNode> dict_to_node(PyObject* dict, std::size_t depth) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return std::nullopt;
    types::YamlMapping map;
    map.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(dict)));
    Py_ssize_t pos = 0;
    PyObject* key_raw = nullptr;
    PyObject* value_raw = nullptr;
    while (PyDict_Next(dict, &pos, &key_raw, &value_raw)) {
        // Held while converting: the conversion may run code that changes the dict.
        PyRef key = PyRef::borrow(key_raw);
        PyRef value = PyRef::borrow(value_raw);
        if (!PyUnicode_Check(key.get())) return key_type_error(key.get()), std::nullopt;
        auto node = py_to_node_at(value.get(), depth + 1);
        if (!node || !insert_entry(map, key.get(), *node)) return std::nullopt;
    }
    return YamlNode(std::move(map));
}

[[gnu::noinline]] void append_item(types::ItemArray& items, YamlNode& node) {
    items.push_back(types::YamlItem{{}, {}, std::move(node)});
}

[[gnu::noinline]] std::optional<YamlNode> list_to_node(PyObject* list, std::size_t depth) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return std::nullopt;
    const Py_ssize_t initial = PyList_GET_SIZE(list);
    types::ItemArray items;
    items.reserve(static_cast<std::size_t>(initial));
    for (Py_ssize_t i = 0; i < initial && i < PyList_GET_SIZE(list); ++i) {
        PyRef item = PyRef::borrow(PyList_GET_ITEM(list, i));
        auto node = py_to_node_at(item.get(), depth + 1);
        if (!node) return std::nullopt;
        append_item(items, *node);
    }
    return YamlNode(std::move(items));
}

std::optional<YamlNode> py_to_node_at(PyObject* obj, std::size_t depth) {
    if (is_yaml_mapping(obj)) return copy_inner_mapping(obj);
    if (is_yaml_sequence(obj)) return copy_inner_sequence(obj);
    if (is_yaml_scalar(obj)) return copy_scalar_node(obj);
    if (PyDict_CheckExact(obj)) return dict_to_node(obj, depth);
    if (PyList_CheckExact(obj)) return list_to_node(obj, depth);
    std::optional<YamlNode> node;
    switch (scalar_from_py(obj, node)) {
        case Scalar::Converted: return node;
        case Scalar::Failed: return std::nullopt;
        case Scalar::NotScalar: break;
    }
    if (PyDict_Check(obj)) return dict_to_node(obj, depth);
    if (PyList_Check(obj)) return list_to_node(obj, depth);
    cannot_convert(obj);
    return std::nullopt;
}

std::optional<YamlNode> extract_at(PyObject* obj, std::size_t depth);

// Whether the value would extract to exactly this scalar node. Only exact
// built-in types are recognised; anything else takes the full conversion.
[[gnu::noinline]] bool same_scalar(PyObject* value, const YamlNode& node) {
    // An alias loads as None; while it is None it stays the alias.
    if (!node.is_scalar()) return node.is_null() && value == Py_None;
    const ScalarValue& scalar = node.as_scalar();
    switch (scalar.kind()) {
        case ScalarValue::Kind::Str: {
            if (!PyUnicode_CheckExact(value)) return false;
            Py_ssize_t size = 0;
            const char* data = PyUnicode_AsUTF8AndSize(value, &size);
            if (data == nullptr) {
                PyErr_Clear();  // the full conversion reports it
                return false;
            }
            const std::string_view text = scalar.as_str();
            return static_cast<std::size_t>(size) == text.size() && std::memcmp(data, text.data(), text.size()) == 0;
        }
        case ScalarValue::Kind::Int: {
            if (!PyLong_CheckExact(value)) return false;
            int overflow = 0;
            const long long v = PyLong_AsLongLongAndOverflow(value, &overflow);
            return overflow == 0 && v == scalar.as_int() && (v != -1 || !PyErr_Occurred());
        }
        case ScalarValue::Kind::Float: {
            if (!PyFloat_CheckExact(value)) return false;
            const double v = PyFloat_AS_DOUBLE(value);
            const double stored = scalar.as_float();
            return std::memcmp(&v, &stored, sizeof v) == 0;
        }
        case ScalarValue::Kind::Bool: return value == (scalar.as_bool() ? Py_True : Py_False);
        case ScalarValue::Kind::Null: return value == Py_None;
    }
    return false;
}

// The parent dict's value for `key`, left empty when the dict lacks it; false
// with an exception set when the lookup fails. `pos` walks the dict alongside
// inner: while the next dict entry holds the same key, no key object is made.
[[gnu::noinline]] bool parent_value(PyObject* dict, std::string_view key, Py_ssize_t& pos, PyRef& value) {
    PyObject* dict_key = nullptr;
    PyObject* dict_value = nullptr;
    Py_ssize_t next = pos;
    if (PyDict_Next(dict, &next, &dict_key, &dict_value) && PyUnicode_CheckExact(dict_key)) {
        Py_ssize_t size = 0;
        const char* data = PyUnicode_AsUTF8AndSize(dict_key, &size);
        if (data == nullptr) return false;
        if (static_cast<std::size_t>(size) == key.size() && std::memcmp(data, key.data(), key.size()) == 0) {
            value = PyRef::borrow(dict_value);
            pos = next;
            return true;
        }
    }
    PyRef key_obj = convert_detail::str_from_utf8(key);
    if (!key_obj) return false;
    PyObject* found = PyDict_GetItemWithError(dict, key_obj.get());
    if (found == nullptr) return !PyErr_Occurred();
    value = PyRef::borrow(found);
    return true;
}

[[gnu::noinline]] void replace_node(types::YamlMapping& map, std::size_t i, YamlNode& node) {
    map.entry_mut(i).node = std::move(node);
}

[[gnu::noinline]] YamlNode finish_mapping(types::YamlMapping& map, const std::vector<std::string>& missing) {
    for (const std::string& key : missing) map.shift_remove(key);
    return YamlNode(std::move(map));
}

// Key order, key set and comments from inner; values from the parent dict. The
// result starts as a copy of inner, which shares its storage until a value
// differs from the stored one, so an unchanged level costs no copy.
[[gnu::noinline]] std::optional<YamlNode> extract_mapping(PyObject* obj, std::size_t depth) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return std::nullopt;
    PyYamlMapping* self = as_mapping(obj);
    ReadAccess access(self->guard, "YamlMapping");
    if (!access.ok()) return std::nullopt;
    types::YamlMapping out = self->inner;
    std::vector<std::string> missing;
    Py_ssize_t pos = 0;
    std::size_t index = 0;
    for (const auto& [key, entry] : self->inner) {
        const std::size_t i = index++;
        PyRef value;
        if (!parent_value(obj, key, pos, value)) return std::nullopt;
        if (!value) {
            missing.push_back(std::string(key.text()));
            continue;
        }
        if (same_scalar(value.get(), entry.node)) continue;
        auto node = extract_at(value.get(), depth + 1);
        if (!node) return std::nullopt;
        replace_node(out, i, *node);
    }
    return finish_mapping(out, missing);
}

// Element count and comments from inner; values from the parent list.
[[gnu::noinline]] std::optional<YamlNode> extract_sequence(PyObject* obj, std::size_t depth) {
    NestingLevel level(depth, converting);
    if (!level.ok()) return std::nullopt;
    PyYamlSequence* self = as_sequence(obj);
    ReadAccess access(self->guard, "YamlSequence");
    if (!access.ok()) return std::nullopt;
    types::ItemArray out = self->inner;
    const std::size_t count = self->inner.size();
    for (std::size_t i = 0; i < count; ++i) {
        PyObject* found = PyList_GetItem(obj, static_cast<Py_ssize_t>(i));
        if (found == nullptr) return std::nullopt;
        PyRef value = PyRef::borrow(found);
        if (same_scalar(value.get(), self->inner[i].node)) continue;
        auto node = extract_at(value.get(), depth + 1);
        if (!node) return std::nullopt;
        out.at_mut(i).node = std::move(*node);
    }
    return YamlNode(std::move(out));
}

std::optional<YamlNode> extract_at(PyObject* obj, std::size_t depth) {
    if (is_yaml_mapping(obj)) return extract_mapping(obj, depth);
    if (is_yaml_sequence(obj)) return extract_sequence(obj, depth);
    if (is_yaml_scalar(obj)) return copy_scalar_node(obj);
    std::optional<YamlNode> node;
    switch (scalar_from_py(obj, node)) {
        case Scalar::Converted: return node;
        case Scalar::Failed: return std::nullopt;
        case Scalar::NotScalar: break;
    }
    PyErr_SetString(PyExc_RuntimeError, "expected YamlMapping, YamlSequence, or YamlScalar");
    return std::nullopt;
}

}  // namespace

std::optional<YamlNode> py_to_node(PyObject* obj) { return py_to_node_at(obj, 0); }

std::optional<YamlNode> extract_yaml_node(PyObject* obj) { return extract_at(obj, 0); }

}  // namespace plovarn

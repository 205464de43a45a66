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

using convert_detail::may_open_level;
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

// Stores one converted entry; out of line so that its temporaries stay off the
// walk's loop.
[[gnu::noinline]] bool insert_entry(types::YamlMapping& map, PyObject* key, YamlNode& node) {
    auto text = utf8_of(key);
    if (!text) return false;
    map.insert_full(std::move(*text), types::YamlEntry{{}, {}, std::move(node)});
    return true;
}

[[gnu::noinline]] void append_item(types::ItemArray& items, YamlNode& node) {
    items.push_back(types::YamlItem{{}, {}, std::move(node)});
}

// What a level being walked stopped at: a nested collection to walk next, its
// end, or a raised exception.
enum class Step { Nested, Done, Failed };

// Walks a Python value depth first with the open collections on a stack of its
// own, so that depth costs heap, not native stack, and the interpreter's
// recursion limit plays no part. `Level` is one open collection: its `leaf`
// converts a value that opens no level (NotScalar for one that does), `open`
// pushes a level for such a value, `fill` converts the level's values in turn
// until one is nested (which it hands out and holds meanwhile), `take` stores
// the nested value's node, and `finish` gives the level's node.
template <class Level>
std::optional<YamlNode> walk(PyObject* root) {
    {
        std::optional<YamlNode> node;
        switch (Level::leaf(root, node)) {
            case Scalar::Converted: return node;
            case Scalar::Failed: return std::nullopt;
            case Scalar::NotScalar: break;
        }
    }
    std::vector<Level> stack;
    PyObject* nested = root;
    for (;;) {
        if (nested != nullptr) {
            if (!Level::open(nested, stack)) return std::nullopt;
            nested = nullptr;
        }
        Level& top = stack.back();
        switch (top.fill(nested)) {
            case Step::Failed: return std::nullopt;
            case Step::Nested: continue;
            case Step::Done: break;
        }
        YamlNode done = top.finish();
        stack.pop_back();
        if (stack.empty()) return done;
        if (!stack.back().take(done)) return std::nullopt;
    }
}

// A plain dict or list being converted for storing: a new mapping filled in the
// dict's own order, or a new sequence of the list's items, all without comments.
class Storing {
public:
    Storing(PyObject* dict, types::YamlMapping map) : container_(dict), is_dict_(true), map_(std::move(map)) {}
    Storing(PyObject* list, types::ItemArray items, Py_ssize_t initial)
        : container_(list), is_dict_(false), items_(std::move(items)), initial_(initial) {}

    // Document objects, scalars, and the error for what cannot be stored; a
    // dict or list (exact ones are told first, the cheapest test) opens a level.
    static Scalar leaf(PyObject* obj, std::optional<YamlNode>& out) {
        if (PyDict_CheckExact(obj) || PyList_CheckExact(obj)) return Scalar::NotScalar;
        if (is_yaml_mapping(obj)) return (out = copy_inner_mapping(obj)) ? Scalar::Converted : Scalar::Failed;
        if (is_yaml_sequence(obj)) return (out = copy_inner_sequence(obj)) ? Scalar::Converted : Scalar::Failed;
        if (is_yaml_scalar(obj)) return (out = copy_scalar_node(obj)) ? Scalar::Converted : Scalar::Failed;
        const Scalar scalar = scalar_from_py(obj, out);
        if (scalar != Scalar::NotScalar || PyDict_Check(obj) || PyList_Check(obj)) return scalar;
        cannot_convert(obj);
        return Scalar::Failed;
    }

    static bool open(PyObject* obj, std::vector<Storing>& stack) {
        if (!may_open_level(stack.size(), converting)) return false;
        if (PyDict_Check(obj)) {
            types::YamlMapping map;
            map.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(obj)));
            stack.emplace_back(obj, std::move(map));
        } else {
            const Py_ssize_t initial = PyList_GET_SIZE(obj);
            types::ItemArray items;
            items.reserve(static_cast<std::size_t>(initial));
            stack.emplace_back(obj, std::move(items), initial);
        }
        return true;
    }

    Step fill(PyObject*& nested) {
        for (;;) {
            if (is_dict_) {
                PyObject* key = nullptr;
                PyObject* value = nullptr;
                if (!PyDict_Next(container_, &pos_, &key, &value)) return Step::Done;
                // Held while converting: the conversion may run code that changes the dict.
                key_ = PyRef::borrow(key);
                value_ = PyRef::borrow(value);
                if (!PyUnicode_Check(key)) return key_type_error(key), Step::Failed;
            } else {
                // Up to the length at the start, and never past the current one.
                if (pos_ >= initial_ || pos_ >= PyList_GET_SIZE(container_)) return Step::Done;
                value_ = PyRef::borrow(PyList_GET_ITEM(container_, pos_++));
            }
            std::optional<YamlNode> node;
            switch (leaf(value_.get(), node)) {
                case Scalar::Converted:
                    if (!take(*node)) return Step::Failed;
                    continue;
                case Scalar::Failed: return Step::Failed;
                case Scalar::NotScalar: break;
            }
            nested = value_.get();
            return Step::Nested;
        }
    }

    bool take(YamlNode& node) {
        if (is_dict_) {
            if (!insert_entry(map_, key_.get(), node)) return false;
            key_.reset();
        } else {
            append_item(items_, node);
        }
        value_.reset();
        return true;
    }

    YamlNode finish() { return is_dict_ ? YamlNode(std::move(map_)) : YamlNode(std::move(items_)); }

private:
    PyObject* container_;  // held by the level above, or by the caller
    bool is_dict_;
    types::YamlMapping map_;
    types::ItemArray items_;
    Py_ssize_t initial_ = 0;  // a list's length when the walk began
    Py_ssize_t pos_ = 0;  // the dict's iteration position, or the next list index
    PyRef key_;
    PyRef value_;
};

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
        if (data == nullptr) {
            // A key with no UTF-8 form (a lone surrogate) that dict's own methods
            // put there is no key of inner: it is passed over like any other.
            if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) return false;
            PyErr_Clear();
        } else if (static_cast<std::size_t>(size) == key.size() && std::memcmp(data, key.data(), key.size()) == 0) {
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

// A YamlMapping or YamlSequence being extracted for output: key order, key set,
// element count and comments from inner, values from the parent container. The
// result starts as a copy of inner, which shares its storage until a value
// differs from the stored one, so an unchanged level costs no copy. The object's
// inner is held for reading, so it stays as it is, while the walk is inside it.
class Writing {
public:
    template <class Inner>
    Writing(PyObject* obj, ReadAccess access, const Inner& inner)
        : obj_(obj), access_(std::move(access)), out_(inner) {}

    // Document scalars and plain scalars; a YamlMapping or YamlSequence opens a
    // level, and anything else cannot be written.
    static Scalar leaf(PyObject* obj, std::optional<YamlNode>& out) {
        if (is_yaml_mapping(obj) || is_yaml_sequence(obj)) return Scalar::NotScalar;
        if (is_yaml_scalar(obj)) return (out = copy_scalar_node(obj)) ? Scalar::Converted : Scalar::Failed;
        const Scalar scalar = scalar_from_py(obj, out);
        if (scalar != Scalar::NotScalar) return scalar;
        PyErr_SetString(PyExc_RuntimeError, "expected YamlMapping, YamlSequence, or YamlScalar");
        return Scalar::Failed;
    }

    static bool open(PyObject* obj, std::vector<Writing>& stack) {
        if (!may_open_level(stack.size(), converting)) return false;
        if (is_yaml_mapping(obj)) {
            ReadAccess access(as_mapping(obj)->guard, "YamlMapping");
            if (!access.ok()) return false;
            stack.emplace_back(obj, std::move(access), as_mapping(obj)->inner);
        } else {
            ReadAccess access(as_sequence(obj)->guard, "YamlSequence");
            if (!access.ok()) return false;
            stack.emplace_back(obj, std::move(access), as_sequence(obj)->inner);
        }
        return true;
    }

    // Values equal to their stored scalar keep the stored node. A key that the
    // parent dict lacks is noted and dropped at the end; a parent list shorter
    // than inner raises the list's IndexError.
    Step fill(PyObject*& nested) {
        if (out_.is_mapping()) {
            const types::YamlMapping& inner = as_mapping(obj_)->inner;
            for (; index_ < inner.size(); ++index_) {
                const auto& [key, entry] = inner.at(index_);
                PyRef value;
                if (!parent_value(obj_, key, pos_, value)) return Step::Failed;
                if (!value) {
                    missing_.push_back(key);
                    continue;
                }
                if (same_scalar(value.get(), entry.node)) continue;
                switch (convert(std::move(value), nested)) {
                    case Scalar::Converted: continue;
                    case Scalar::Failed: return Step::Failed;
                    case Scalar::NotScalar: return Step::Nested;
                }
            }
        } else {
            const types::ItemArray& inner = as_sequence(obj_)->inner;
            for (; index_ < inner.size(); ++index_) {
                PyObject* found = PyList_GetItem(obj_, static_cast<Py_ssize_t>(index_));
                if (found == nullptr) return Step::Failed;
                PyRef value = PyRef::borrow(found);
                if (same_scalar(value.get(), inner[index_].node)) continue;
                switch (convert(std::move(value), nested)) {
                    case Scalar::Converted: continue;
                    case Scalar::Failed: return Step::Failed;
                    case Scalar::NotScalar: return Step::Nested;
                }
            }
        }
        return Step::Done;
    }

    bool take(YamlNode& node) {
        put(node);
        ++index_;
        value_.reset();
        return true;
    }

    YamlNode finish() {
        access_.release();
        if (out_.is_mapping()) return finish_mapping(out_.as_mapping(), missing_);
        return std::move(out_);
    }

private:
    // A leaf value goes in at once; a nested one is handed out (NotScalar).
    Scalar convert(PyRef value, PyObject*& nested) {
        std::optional<YamlNode> node;
        const Scalar scalar = leaf(value.get(), node);
        if (scalar == Scalar::Converted) put(*node);
        if (scalar == Scalar::NotScalar) {
            value_ = std::move(value);
            nested = value_.get();
        }
        return scalar;
    }

    // A nested level that came back unchanged is the level stored here already:
    // storing it again would copy this level for nothing, and every level above.
    void put(YamlNode& node) {
        if (out_.is_mapping()) {
            if (!out_.as_mapping().at(index_).second.node.same_storage(node)) replace_node(out_.as_mapping(), index_, node);
        } else if (!out_.as_sequence()[index_].node.same_storage(node)) {
            out_.as_sequence().at_mut(index_).node = std::move(node);
        }
    }

    PyObject* obj_;  // held by the level above, or by the caller
    ReadAccess access_;
    YamlNode out_;
    std::size_t index_ = 0;  // the entry or element being looked at
    Py_ssize_t pos_ = 0;     // the parent dict's position, walked alongside inner
    std::vector<std::string> missing_;
    PyRef value_;
};

}  // namespace

std::optional<YamlNode> py_to_node(PyObject* obj) { return walk<Storing>(obj); }

std::optional<YamlNode> extract_yaml_node(PyObject* obj) { return walk<Writing>(obj); }

}  // namespace plovarn

// Document trees to Python objects: the loaded documents and the values stored in
// the parent containers of YamlMapping and YamlSequence.

#include <utility>
#include <vector>

#include "lib/convert.h"
#include "lib/convert_key_cache.h"
#include "lib/convert_support.h"
#include "lib/objects.h"

namespace plovarn {
namespace {

using convert_detail::KeyCache;
using convert_detail::may_open_level;
using convert_detail::str_from_utf8;
using types::YamlNode;

constexpr const char* converting = " while converting a YAML node";

// One collection being filled: the Python container, a shared copy of the tree
// level it is filled from (so that nothing that runs meanwhile can pull the level
// from under the walk), and the position of the next entry or element.
struct Level {
    Level(PyRef container, const types::YamlMapping& level)
        : obj(std::move(container)), map(level), is_mapping(true), size(map.size()) {}
    Level(PyRef container, const types::ItemArray& level)
        : obj(std::move(container)), seq(level), items(seq.begin()), size(seq.size()) {}

    const YamlNode& child() const { return is_mapping ? map.at(next).second.node : items[next].node; }

    PyRef obj;
    types::YamlMapping map;  // a mapping level, or empty
    types::ItemArray seq;    // a sequence level, or empty
    bool is_mapping = false;
    const types::YamlItem* items = nullptr;  // into `seq`
    std::size_t size = 0;
    std::size_t next = 0;
};

// YamlMapping and YamlSequence objects that own their tree level; the parent
// container is filled with the dict- and list-level insertions of the C API.
struct Objects {
    const ClassObjects& classes;
    PyRef open(const YamlNode& tree) const {
        return tree.is_mapping() ? new_yaml_mapping(classes, tree.as_mapping())
                                 : new_yaml_sequence(classes, tree.as_sequence());
    }
    static bool put_element(PyObject* list, std::size_t, PyRef& value) { return PyList_Append(list, value.get()) == 0; }
};

// Plain dict and list copies, comments dropped.
struct Plain {
    PyRef open(const YamlNode& tree) const {
        if (tree.is_mapping())
            return PyRef::steal(_PyDict_NewPresized(static_cast<Py_ssize_t>(tree.as_mapping().size())));
        return PyRef::steal(PyList_New(static_cast<Py_ssize_t>(tree.as_sequence().size())));
    }
    static bool put_element(PyObject* list, std::size_t i, PyRef& value) {
        PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), value.release());
        return true;
    }
};

bool is_collection(const YamlNode& node) { return node.is_mapping() || node.is_sequence(); }

PyRef leaf_to_py(const YamlNode& node) {
    return node.is_scalar() ? scalar_to_py(node.as_scalar()) : PyRef::borrow(Py_None);
}

// Stores a converted value under the entry's key (the value is made before its
// key object) or as the next element.
template <class Make>
[[gnu::always_inline]] inline bool put(Level& level, PyRef& value, KeyCache& keys) {
    const std::size_t i = level.next++;
    if (!level.is_mapping) return Make::put_element(level.obj.get(), i, value);
    PyRef key = keys.get(level.map.at(i).first);
    return key && PyDict_SetItem(level.obj.get(), key.get(), value.get()) == 0;
}

// Converts the level's entries or elements in turn, up to the next nested
// collection (left at `next`) or the end.
template <class Make>
bool fill(Level& level, KeyCache& keys) {
    while (level.next < level.size) {
        const YamlNode& child = level.child();
        if (is_collection(child)) return true;
        PyRef value = leaf_to_py(child);
        if (!value || !put<Make>(level, value, keys)) return false;
    }
    return true;
}

template <class Make>
bool open(const Make& make, const YamlNode& tree, std::vector<Level>& stack) {
    if (!may_open_level(stack.size(), converting)) return false;
    PyRef obj = make.open(tree);
    if (!obj) return false;
    if (tree.is_mapping()) stack.emplace_back(std::move(obj), tree.as_mapping());
    else stack.emplace_back(std::move(obj), tree.as_sequence());
    return true;
}

// Converts a mapping or sequence root depth first, with the open collections on
// a stack of its own: each container is made before its contents and filled in
// document order.
template <class Make>
PyRef convert_collection(const Make& make, const YamlNode& root, KeyCache& keys) {
    std::vector<Level> stack;
    stack.reserve(16);
    if (!open(make, root, stack)) return PyRef();
    for (;;) {
        Level& top = stack.back();
        if (!fill<Make>(top, keys)) return PyRef();
        if (top.next < top.size) {
            if (!open(make, top.child(), stack)) return PyRef();
            continue;
        }
        PyRef done = std::move(top.obj);
        stack.pop_back();
        if (stack.empty()) return done;
        if (!put<Make>(stack.back(), done, keys)) return PyRef();
    }
}

// Keeps the cyclic garbage collector off while a conversion makes its objects
// (a load, a plain copy), and puts back the state it found on every way out.
// Every object made is reachable from the result, so a collection meanwhile
// would only walk them, again and again as a large load goes on. No code of the
// program runs during the conversion, so nothing can switch the collector
// meanwhile; a pause inside another finds it off and leaves it off.
class CollectorPause {
public:
    CollectorPause() : was_enabled_(PyGC_Disable() == 1) {}
    ~CollectorPause() {
        if (was_enabled_) PyGC_Enable();
    }
    CollectorPause(const CollectorPause&) = delete;
    CollectorPause& operator=(const CollectorPause&) = delete;

private:
    bool was_enabled_;
};

template <class Make>
PyRef convert_collection(const Make& make, const YamlNode& root) {
    CollectorPause pause;
    KeyCache keys;
    return convert_collection(make, root, keys);
}

template <class Make>
PyRef convert_node(const Make& make, const YamlNode& node) {
    using Kind = YamlNode::Kind;
    switch (node.kind()) {
        case Kind::Mapping:
        case Kind::Sequence: return convert_collection(make, node);
        case Kind::Scalar: return scalar_to_py(node.as_scalar());
        case Kind::Null: break;
    }
    return PyRef::borrow(Py_None);
}

// The root's object takes the tree over; the reader hands over every level at
// its exact size, so a loaded document keeps nothing it does not hold.
PyRef document(const ClassObjects& classes, YamlNode node, KeyCache& keys) {
    if (node.is_mapping() || node.is_sequence()) return convert_collection(Objects{classes}, node, keys);
    return new_yaml_scalar(classes, std::move(node));
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

PyRef node_to_py(const ClassObjects& classes, const types::YamlNode& node) {
    return convert_node(Objects{classes}, node);
}

PyRef node_to_doc(const ModuleState& state, types::YamlNode node) {
    CollectorPause pause;
    return document(state.classes, std::move(node), *state.keys);
}

PyRef docs_to_list(const ModuleState& state, std::vector<types::YamlNode> docs) {
    CollectorPause pause;
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(docs.size())));
    if (!list) return list;
    Py_ssize_t i = 0;
    for (YamlNode& doc : docs) {
        PyRef obj = document(state.classes, std::move(doc), *state.keys);
        if (!obj) return obj;
        PyList_SET_ITEM(list.get(), i++, obj.release());
    }
    return list;
}

PyRef mapping_to_py_obj(const ClassObjects& classes, types::YamlMapping map) {
    return convert_collection(Objects{classes}, YamlNode(std::move(map)));
}

PyRef sequence_to_py_obj(const ClassObjects& classes, types::ItemArray items) {
    return convert_collection(Objects{classes}, YamlNode(std::move(items)));
}

PyRef node_to_dict(const types::YamlNode& node) { return convert_node(Plain{}, node); }

PyRef mapping_to_dict(const types::YamlMapping& map) { return convert_collection(Plain{}, YamlNode(map)); }

PyRef sequence_to_dict(const types::ItemArray& items) { return convert_collection(Plain{}, YamlNode(items)); }

}  // namespace plovarn

// Methods of YamlMapping. Every edit changes `inner` first, then stores values
// built from `inner` into the parent dict through the dict's own C functions
// (never through this class's slots).

#include <optional>
#include <string>
#include <vector>

#include "lib/args.h"
#include "lib/class_methods.h"
#include "lib/convert.h"
#include "lib/container_methods.h"
#include "lib/key_objects.h"
#include "lib/objects.h"
#include "lib/parent_rebuild.h"
#include "lib/py_ref.h"
#include "lib/saved_exception.h"
#include "lib/take_back.h"
#include "types/node_repr.h"
#include "lib/sorting.h"

namespace plovarn {
namespace {

constexpr const char* type_name = "YamlMapping";

using types::YamlEntry;
using types::YamlNode;

PyYamlMapping* self_of(PyObject* self) { return as_mapping(self); }

// m[key] = value: the node replaces the entry's node (position and comments stay)
// or is appended as a new entry without comments.
int assign_key(PyObject* self, PyObject* key, PyObject* value) {
    const ClassObjects& classes = classes_of(self);
    const auto text = text_arg("key", key);
    if (!text) return -1;
    std::optional<YamlNode> node = py_to_node(value);
    if (!node) return -1;
    // The stored object is made before `inner` changes: a tree too deep to
    // convert, or memory running out, then leaves the mapping as it was.
    PyRef stored = node_to_py(classes, *node);
    if (!stored) return -1;
    PyRef dict_key = exact_str(key, *text);
    if (!dict_key) return -1;
    PyYamlMapping* m = self_of(self);
    std::optional<YamlNode> replaced;  // the old node of an existing key
    {
        WriteAccess write(m->guard, type_name);
        if (!write.ok()) return -1;
        if (YamlEntry* entry = m->inner.find_mut(*text)) {
            replaced = entry->node;
            types::replace_value(entry->node, std::move(*node));
        } else {
            m->inner.insert_full(std::string(*text), YamlEntry{{}, {}, std::move(*node)});
        }
    }
    if (PyDict_SetItem(self, dict_key.get(), stored.get()) == 0) return 0;
    // The parent dict did not take the value (memory running out while it grew,
    // or a foreign key's comparison failing): inner takes the edit back.
    take_back(m->guard, type_name, [&] {
        if (!replaced) m->inner.shift_remove(*text);
        else if (YamlEntry* entry = m->inner.find_mut(*text)) entry->node = std::move(*replaced);
    });
    return -1;
}

int delete_key(PyObject* self, PyObject* key) {
    const auto text = text_arg("key", key);
    if (!text) return -1;
    PyYamlMapping* m = self_of(self);
    bool found = false;
    {
        WriteAccess write(m->guard, type_name);
        if (!write.ok()) return -1;
        found = m->inner.shift_remove(*text).has_value();
    }
    if (!found) {
        set_key_error(key, *text);
        return -1;
    }
    PyRef dict_key = exact_str(key, *text);
    if (!dict_key) return -1;
    return PyDict_DelItem(self, dict_key.get());
}

PyObject* pop(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[2];
    if (!parse_args("YamlMapping.pop()", args, nargs, kwnames, {"key", "default"}, 1, a)) return nullptr;
    const auto text = text_arg("key", a[0]);
    if (!text) return nullptr;
    PyObject* fallback = a[1] == Py_None ? nullptr : a[1];
    PyYamlMapping* m = self_of(self);
    std::optional<types::YamlMapping::Pair> removed;
    {
        WriteAccess write(m->guard, type_name);
        if (!write.ok()) return nullptr;
        removed = m->inner.shift_remove(*text);
    }
    if (!removed) {
        if (fallback == nullptr) {
            set_key_error(a[0], *text);
            return nullptr;
        }
        return Py_NewRef(fallback);
    }
    PyRef dict_key = exact_str(a[0], *text);
    if (!dict_key || PyDict_DelItem(self, dict_key.get()) < 0) return nullptr;
    return node_to_py(classes, removed->second.node).release();
}

PyObject* setdefault(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[2];
    if (!parse_args("YamlMapping.setdefault()", args, nargs, kwnames, {"key", "default"}, 1, a)) return nullptr;
    const auto text = text_arg("key", a[0]);
    if (!text) return nullptr;
    PyYamlMapping* m = self_of(self);
    std::optional<YamlNode> existing;
    {
        ReadAccess read(m->guard, type_name);
        if (!read.ok()) return nullptr;
        if (const YamlEntry* entry = m->inner.find(*text)) existing = entry->node;
    }
    if (existing) return node_to_py(classes, *existing).release();

    std::optional<YamlNode> node = py_to_node(a[1] == nullptr ? Py_None : a[1]);
    if (!node) return nullptr;
    PyRef stored = node_to_py(classes, *node);
    if (!stored) return nullptr;
    {
        WriteAccess write(m->guard, type_name);
        if (!write.ok()) return nullptr;
        // The default's conversion may have run code that added the key
        // meanwhile: that entry stays, with its comments, as dict.setdefault
        // would keep it.
        if (const YamlEntry* entry = m->inner.find(*text)) existing = entry->node;
        else m->inner.insert_full(std::string(*text), YamlEntry{{}, {}, *node});
    }
    if (existing) return node_to_py(classes, *existing).release();
    PyRef dict_key = exact_str(a[0], *text);
    if (!dict_key || PyDict_SetItem(self, dict_key.get(), stored.get()) < 0) return nullptr;
    return node_to_py(classes, *node).release();
}

// Where an update put an entry, and the entry it replaced there (none for a new
// key): enough to bring the parent dict into line, or to undo the update.
struct Applied {
    std::size_t index;
    std::optional<YamlEntry> replaced;
};

void note_applied(std::vector<Applied>& applied, std::pair<std::size_t, std::optional<YamlEntry>> result) {
    applied.push_back(Applied{result.first, std::move(result.second)});
}

// Inserts one (key, value) pair from a foreign source: the entry loses its comments.
// A value equal to the stored one keeps the form it was written in, as assignment
// keeps it: an update that repeats what a key holds does not change what other
// readers read there (`!!str 123`, `yes`, an alias).
bool insert_foreign(types::YamlMapping& inner, PyObject* key, PyObject* value, std::vector<Applied>& applied) {
    const auto text = text_value(key);
    if (!text) return false;
    std::optional<YamlNode> node = py_to_node(value);
    if (!node) return false;
    if (const YamlEntry* old = inner.find(*text)) {
        YamlNode kept = old->node;
        types::replace_value(kept, std::move(*node));
        node = std::move(kept);
    }
    note_applied(applied, inner.insert_full(std::string(*text), YamlEntry{{}, {}, std::move(*node)}));
    return true;
}

bool update_from_keys(types::YamlMapping& inner, PyObject* other, std::vector<Applied>& applied) {
    PyRef keys = PyRef::steal(PyObject_CallMethod(other, "keys", nullptr));
    if (!keys) return false;
    PyRef iter = PyRef::steal(PyObject_GetIter(keys.get()));
    if (!iter) return false;
    while (PyRef key = PyRef::steal(PyIter_Next(iter.get()))) {
        PyRef value = PyRef::steal(PyObject_GetItem(other, key.get()));
        if (!value || !insert_foreign(inner, key.get(), value.get(), applied)) return false;
    }
    return !PyErr_Occurred();
}

bool update_from_pairs(types::YamlMapping& inner, PyObject* other, std::vector<Applied>& applied) {
    PyRef iter = PyRef::steal(PyObject_GetIter(other));
    if (!iter) return false;
    while (PyRef element = PyRef::steal(PyIter_Next(iter.get()))) {
        if (!PyTuple_Check(element.get())) {
            PyErr_Format(PyExc_TypeError, "'%s' object is not an instance of 'tuple'", Py_TYPE(element.get())->tp_name);
            return false;
        }
        const Py_ssize_t size = PyTuple_GET_SIZE(element.get());
        if (size != 2) {
            PyErr_Format(PyExc_ValueError, "expected tuple of length 2, but got tuple of length %zd", size);
            return false;
        }
        if (!insert_foreign(inner, PyTuple_GET_ITEM(element.get(), 0), PyTuple_GET_ITEM(element.get(), 1), applied))
            return false;
    }
    return !PyErr_Occurred();
}

// Entries of another YamlMapping are taken whole, comments included. False when
// `other` is no YamlMapping or its inner cannot be read now (it is this very
// instance, or busy), with no exception left pending.
bool update_from_yaml_mapping(types::YamlMapping& inner, PyObject* other, std::vector<Applied>& applied) {
    if (!is_yaml_mapping(other)) return false;
    types::YamlMapping copy;
    {
        ReadAccess read(as_mapping(other)->guard, type_name);
        if (!read.ok()) {
            PyErr_Clear();
            return false;
        }
        copy = as_mapping(other)->inner;
    }
    for (auto& [key, entry] : copy.take_all()) note_applied(applied, inner.insert_full(std::move(key), std::move(entry)));
    return true;
}

// After a failed update, brings the parent dict into line with the entries that
// reached `inner`, as dict.update keeps what it applied. The update's exception
// stays the one reported.
void store_applied(PyObject* self, const std::vector<Applied>& applied) {
    const ClassObjects& classes = classes_of(self);
    SavedException error = SavedException::take();
    PyYamlMapping* m = self_of(self);
    std::vector<std::pair<PyRef, PyRef>> fresh;
    {
        ReadAccess read(m->guard, type_name);
        if (read.ok()) {
            for (const Applied& done : applied) {
                const auto& [key, entry] = m->inner.at(done.index);
                PyRef k = PyRef::steal(PyUnicode_FromStringAndSize(key.data(), static_cast<Py_ssize_t>(key.size())));
                PyRef v = k ? node_to_py(classes, entry.node) : PyRef();
                if (!v) break;
                fresh.emplace_back(std::move(k), std::move(v));
            }
        }
    }
    for (const auto& [k, v] : fresh)
        if (PyDict_SetItem(self, k.get(), v.get()) < 0) break;
    error.restore();
}

// Takes the entries of an update out of `inner` again, last first.
void undo_update(types::YamlMapping& inner, std::vector<Applied>& applied) {
    for (auto done = applied.rbegin(); done != applied.rend(); ++done) {
        if (done->replaced) {
            inner.entry_mut(done->index) = std::move(*done->replaced);
        } else {
            const std::string key(inner.at(done->index).first);
            inner.shift_remove(key);
        }
    }
}

PyObject* update(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[1];
    if (!parse_args("YamlMapping.update()", args, nargs, kwnames, {"other"}, 1, a)) return nullptr;
    PyObject* other = a[0];
    PyYamlMapping* m = self_of(self);
    std::vector<Applied> applied;
    bool ok = false;
    {
        WriteAccess write(m->guard, type_name);
        if (!write.ok()) return nullptr;
        if (update_from_yaml_mapping(m->inner, other, applied)) {
            ok = true;
        } else {
            PyRef keys = PyRef::steal(PyObject_GetAttrString(other, "keys"));
            if (keys) {
                keys.reset();
                ok = update_from_keys(m->inner, other, applied);
            } else if (PyErr_ExceptionMatches(PyExc_AttributeError)) {
                PyErr_Clear();
                ok = update_from_pairs(m->inner, other, applied);
            }
        }
    }
    if (!ok) {
        store_applied(self, applied);
        return nullptr;
    }
    if (!rebuild_parent_dict(classes, self, [&](types::YamlMapping& inner) { undo_update(inner, applied); })) return nullptr;
    Py_RETURN_NONE;
}

struct MappingClass {
    using Object = PyYamlMapping;
    static constexpr const char* type_name = "YamlMapping";
    static constexpr auto to_dict = mapping_to_dict;
    static constexpr auto repr = types::mapping_repr;
    static constexpr const char* selector = "key";
    static std::optional<std::string_view> read(PyObject* arg) { return text_arg("key", arg); }
    // A key that is not there has no comments.
    static const YamlEntry* find(const types::YamlMapping& inner, std::string_view key) { return inner.find(key); }
    static YamlEntry* find_mut(types::YamlMapping& inner, std::string_view key, PyObject* arg) {
        YamlEntry* entry = inner.find_mut(key);
        if (entry == nullptr) set_key_error(arg, key);
        return entry;
    }
};

const std::array<PyMethodDef, 4> own_methods = {{
    {"pop", fastcall(pop), fastcall_flags, "pop($self, key, default=None)\n--\n\n"},
    {"update", fastcall(update), fastcall_flags, "update($self, other)\n--\n\n"},
    {"setdefault", fastcall(setdefault), fastcall_flags, "setdefault($self, key, default=None)\n--\n\n"},
    {"sort_keys", fastcall(yaml_mapping_sort_keys), fastcall_flags,
     "sort_keys($self, key=None, reverse=False, recursive=False)\n--\n\n"},
}};

}  // namespace

PyMethodDef* yaml_mapping_methods() {
    static auto table = method_table<MappingClass>(own_methods);
    return table.data();
}

PyObject* yaml_mapping_repr(PyObject* self) { return container_repr<MappingClass>(self); }

int yaml_mapping_ass_subscript(PyObject* self, PyObject* key, PyObject* value) {
    return value == nullptr ? delete_key(self, key) : assign_key(self, key, value);
}

}  // namespace plovarn

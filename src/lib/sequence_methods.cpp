// Methods of YamlSequence. Every edit changes `inner` first, then brings the
// parent list into line through the list type's own C functions (never through
// this class's slots), with the access guard already released.

#include <optional>
#include <string>
#include <vector>

#include "lib/args.h"
#include "lib/class_methods.h"
#include "lib/convert.h"
#include "lib/container_methods.h"
#include "lib/objects.h"
#include "lib/py_ref.h"
#include "lib/take_back.h"
#include "types/node_repr.h"
#include "lib/sorting.h"

namespace plovarn {
namespace {

constexpr const char* type_name = "YamlSequence";

using types::YamlItem;
using types::YamlNode;

PyYamlSequence* self_of(PyObject* self) { return as_sequence(self); }

// A position within `size` elements, counting a negative index from the end once.
std::optional<std::size_t> position(long index, std::size_t size) {
    const long n = static_cast<long>(size);
    if (index < 0) index += n;
    if (index < 0 || index >= n) return std::nullopt;
    return static_cast<std::size_t>(index);
}

std::optional<std::size_t> position_or_error(long index, std::size_t size, const char* message) {
    auto pos = position(index, size);
    if (!pos) PyErr_SetString(PyExc_IndexError, message);
    return pos;
}

// Deletion through list's own item slot: the same IndexError as list when the
// parent list has become shorter than `inner`.
int delete_from_list(PyObject* self, std::size_t pos) {
    return PyList_Type.tp_as_sequence->sq_ass_item(self, static_cast<Py_ssize_t>(pos), nullptr);
}

// Runs `change` on the element that a subscript names, with write access to
// `inner`; returns its position, or nullopt with an exception set.
template <class Change>
std::optional<std::size_t> change_element(PyObject* self, long index, Change change) {
    PyYamlSequence* s = self_of(self);
    WriteAccess write(s->guard, type_name);
    if (!write.ok()) return std::nullopt;
    const auto pos = position_or_error(index, s->inner.size(), "index out of range");
    if (pos) change(s->inner, *pos);
    return pos;
}

// After the parent list failed to grow (memory running out; it is left as it
// was), takes the element just added at `pos` out of inner again, so that the
// failed edit changes neither half. Returns nullptr with the list's exception.
PyObject* undo_added(PyObject* self, std::size_t pos) {
    PyYamlSequence* s = self_of(self);
    take_back(s->guard, type_name, [&] {
        if (pos < s->inner.size()) s->inner.remove(pos);
    });
    return nullptr;
}

int assign_index(PyObject* self, PyObject* key, PyObject* value) {
    const ClassObjects& classes = classes_of(self);
    const auto index = item_index_arg("key", key);
    if (!index) return -1;
    std::optional<YamlNode> node = py_to_node(value);
    if (!node) return -1;
    // Made before `inner` changes, as for every edit below: a failed conversion
    // leaves the sequence as it was.
    PyRef stored = node_to_py(classes, *node);
    if (!stored) return -1;
    const auto pos = change_element(self, *index, [&](types::ItemArray& inner, std::size_t at) {
        types::replace_value(inner.at_mut(at).node, std::move(*node));
    });
    if (!pos) return -1;
    return PyList_SetItem(self, static_cast<Py_ssize_t>(*pos), stored.release());
}

int delete_index(PyObject* self, PyObject* key) {
    const auto index = item_index_arg("key", key);
    if (!index) return -1;
    const auto pos =
        change_element(self, *index, [](types::ItemArray& inner, std::size_t at) { inner.remove(at); });
    if (!pos) return -1;
    return delete_from_list(self, *pos);
}

PyObject* append(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[1];
    if (!parse_args("YamlSequence.append()", args, nargs, kwnames, {"value"}, 1, a)) return nullptr;
    std::optional<YamlNode> node = py_to_node(a[0]);
    if (!node) return nullptr;
    PyRef stored = node_to_py(classes, *node);
    if (!stored) return nullptr;
    PyYamlSequence* s = self_of(self);
    std::size_t pos = 0;
    {
        WriteAccess write(s->guard, type_name);
        if (!write.ok()) return nullptr;
        pos = s->inner.size();
        s->inner.push_back(YamlItem{{}, {}, std::move(*node)});
    }
    if (PyList_Append(self, stored.get()) < 0) return undo_added(self, pos);
    Py_RETURN_NONE;
}

PyObject* insert(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[2];
    if (!parse_args("YamlSequence.insert()", args, nargs, kwnames, {"idx", "value"}, 2, a)) return nullptr;
    const auto index = index_arg("idx", a[0]);
    if (!index) return nullptr;
    std::optional<YamlNode> node = py_to_node(a[1]);
    if (!node) return nullptr;
    PyRef stored = node_to_py(classes, *node);
    if (!stored) return nullptr;
    PyYamlSequence* s = self_of(self);
    std::size_t pos = 0;
    {
        WriteAccess write(s->guard, type_name);
        if (!write.ok()) return nullptr;
        // Clamped as list.insert does: out-of-range positions are never an error.
        const long n = static_cast<long>(s->inner.size());
        long at = *index;
        if (at < 0) at = at + n < 0 ? 0 : at + n;
        if (at > n) at = n;
        pos = static_cast<std::size_t>(at);
        s->inner.insert(pos, YamlItem{{}, {}, std::move(*node)});
    }
    if (PyList_Insert(self, static_cast<Py_ssize_t>(pos), stored.get()) < 0) return undo_added(self, pos);
    Py_RETURN_NONE;
}

PyObject* pop(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[1];
    if (!parse_args("YamlSequence.pop()", args, nargs, kwnames, {"idx"}, 0, a)) return nullptr;
    long index = -1;
    if (a[0] != nullptr) {
        const auto given = index_arg("idx", a[0]);
        if (!given) return nullptr;
        index = *given;
    }
    PyYamlSequence* s = self_of(self);
    std::size_t pos = 0;
    YamlNode removed;
    {
        WriteAccess write(s->guard, type_name);
        if (!write.ok()) return nullptr;
        if (s->inner.empty()) {
            PyErr_SetString(PyExc_IndexError, "pop from empty list");
            return nullptr;
        }
        const auto found = position_or_error(index, s->inner.size(), "pop index out of range");
        if (!found) return nullptr;
        pos = *found;
        removed = std::move(s->inner.remove(pos).node);
    }
    if (delete_from_list(self, pos) < 0) return nullptr;
    return node_to_py(classes, removed).release();
}

PyObject* remove(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[1];
    if (!parse_args("YamlSequence.remove()", args, nargs, kwnames, {"value"}, 1, a)) return nullptr;
    PyYamlSequence* s = self_of(self);
    std::optional<std::size_t> match;
    {
        // Equality runs foreign code; the read access keeps it from changing `inner`.
        ReadAccess read(s->guard, type_name);
        if (!read.ok()) return nullptr;
        for (std::size_t i = 0; i < s->inner.size(); ++i) {
            PyRef built = node_to_py(classes, s->inner[i].node);
            if (!built) return nullptr;
            const int equal = PyObject_RichCompareBool(built.get(), a[0], Py_EQ);
            if (equal < 0) return nullptr;
            if (equal) {
                match = i;
                break;
            }
        }
    }
    if (!match) {
        PyErr_SetString(PyExc_ValueError, "value not in list");
        return nullptr;
    }
    {
        WriteAccess write(s->guard, type_name);
        if (!write.ok()) return nullptr;
        s->inner.remove(*match);
    }
    if (delete_from_list(self, *match) < 0) return nullptr;
    Py_RETURN_NONE;
}

PyObject* extend(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[1];
    if (!parse_args("YamlSequence.extend()", args, nargs, kwnames, {"iterable"}, 1, a)) return nullptr;
    PyObject* source = a[0];
    // Everything is converted before anything changes, so a failure changes nothing.
    std::vector<YamlItem> items;
    std::vector<PyRef> values;
    if (is_yaml_sequence(source)) {
        types::ItemArray copy;
        {
            ReadAccess read(as_sequence(source)->guard, type_name);
            if (!read.ok()) return nullptr;
            copy = as_sequence(source)->inner;
        }
        items.reserve(copy.size());
        values.reserve(copy.size());
        for (const YamlItem& item : copy) {
            PyRef value = node_to_py(classes, item.node);
            if (!value) return nullptr;
            values.push_back(std::move(value));
            items.push_back(YamlItem{{}, {}, item.node});
        }
    } else {
        PyRef iter = PyRef::steal(PyObject_GetIter(source));
        if (!iter) return nullptr;
        while (PyRef element = PyRef::steal(PyIter_Next(iter.get()))) {
            std::optional<YamlNode> node = py_to_node(element.get());
            if (!node) return nullptr;
            PyRef value = node_to_py(classes, *node);
            if (!value) return nullptr;
            values.push_back(std::move(value));
            items.push_back(YamlItem{{}, {}, std::move(*node)});
        }
        if (PyErr_Occurred()) return nullptr;
    }
    // The parent list grows in one step, which either fails before it changes
    // the list or succeeds, so that inner can be put back when it fails.
    PyRef added = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(values.size())));
    if (!added) return nullptr;
    for (std::size_t i = 0; i < values.size(); ++i)
        PyList_SET_ITEM(added.get(), static_cast<Py_ssize_t>(i), values[i].release());
    PyYamlSequence* s = self_of(self);
    std::size_t old_size = 0;
    {
        WriteAccess write(s->guard, type_name);
        if (!write.ok()) return nullptr;
        old_size = s->inner.size();
        s->inner.reserve(old_size + items.size());
        for (YamlItem& item : items) s->inner.push_back(std::move(item));
    }
    if (PyList_SetSlice(self, PY_SSIZE_T_MAX, PY_SSIZE_T_MAX, added.get()) < 0) {
        take_back(s->guard, type_name, [&] {
            std::vector<YamlItem>& all = s->inner.items_mut();
            all.erase(all.begin() + static_cast<std::ptrdiff_t>(old_size), all.end());
        });
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* reverse(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse_args("YamlSequence.reverse()", args, nargs, kwnames, {}, 0, nullptr)) return nullptr;
    PyYamlSequence* s = self_of(self);
    {
        WriteAccess write(s->guard, type_name);
        if (!write.ok()) return nullptr;
        s->inner.reverse();
    }
    if (PyList_Reverse(self) < 0) return nullptr;
    Py_RETURN_NONE;
}

struct SequenceClass {
    using Object = PyYamlSequence;
    static constexpr const char* type_name = "YamlSequence";
    static constexpr auto to_dict = sequence_to_dict;
    static constexpr auto repr = types::sequence_repr;
    static constexpr const char* selector = "idx";
    static std::optional<long> read(PyObject* arg) { return item_index_arg("idx", arg); }
    static const YamlItem* find(const types::ItemArray& inner, long index) {
        const auto pos = position_or_error(index, inner.size(), "index out of range");
        return pos ? &inner[*pos] : nullptr;
    }
    static YamlItem* find_mut(types::ItemArray& inner, long index, PyObject*) {
        const auto pos = position_or_error(index, inner.size(), "index out of range");
        return pos ? &inner.at_mut(*pos) : nullptr;
    }
};

const std::array<PyMethodDef, 7> own_methods = {{
    {"append", fastcall(append), fastcall_flags, "append($self, value)\n--\n\n"},
    {"insert", fastcall(insert), fastcall_flags, "insert($self, idx, value)\n--\n\n"},
    {"pop", fastcall(pop), fastcall_flags, "pop($self, idx=...)\n--\n\n"},
    {"remove", fastcall(remove), fastcall_flags, "remove($self, value)\n--\n\n"},
    {"extend", fastcall(extend), fastcall_flags, "extend($self, iterable)\n--\n\n"},
    {"reverse", fastcall(reverse), fastcall_flags, "reverse($self)\n--\n\n"},
    {"sort", fastcall(yaml_sequence_sort), fastcall_flags, "sort($self, key=None, reverse=False)\n--\n\n"},
}};

}  // namespace

PyMethodDef* yaml_sequence_methods() {
    static auto table = method_table<SequenceClass>(own_methods);
    return table.data();
}

PyObject* yaml_sequence_repr(PyObject* self) { return container_repr<SequenceClass>(self); }

int yaml_sequence_ass_subscript(PyObject* self, PyObject* key, PyObject* value) {
    return value == nullptr ? delete_index(self, key) : assign_index(self, key, value);
}

}  // namespace plovarn

#include "lib/sorting.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "lib/args.h"
#include "lib/convert.h"
#include "lib/objects.h"
#include "lib/parent_rebuild.h"
#include "types/stable_merge_sort.h"

namespace plovarn {
namespace {

using Pair = types::YamlMapping::Pair;

std::vector<std::size_t> identity_order(std::size_t n) {
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
}

// Sort keys that are all exact ints within 64 bits, all exact floats or all exact
// strs compare natively: the interpreter would answer the same and run no other
// code, and the comparisons dominate a sort.
bool sort_natively(std::vector<std::size_t>& order, const std::vector<PyRef>& keys) {
    if (keys.empty()) return true;
    PyObject* first = keys.front().get();
    if (PyLong_CheckExact(first)) {
        std::vector<long long> ints;
        ints.reserve(keys.size());
        for (const PyRef& key : keys) {
            if (!PyLong_CheckExact(key.get())) return false;
            int overflow = 0;
            const long long v = PyLong_AsLongLongAndOverflow(key.get(), &overflow);
            if (overflow != 0) return false;
            ints.push_back(v);
        }
        types::stable_merge_sort(order, [&](std::size_t a, std::size_t b) { return ints[a] < ints[b]; });
        return true;
    }
    if (PyFloat_CheckExact(first)) {
        std::vector<double> floats;
        floats.reserve(keys.size());
        for (const PyRef& key : keys) {
            if (!PyFloat_CheckExact(key.get())) return false;
            floats.push_back(PyFloat_AS_DOUBLE(key.get()));
        }
        // NaN is "equal" to everything, as with the interpreter's < and >.
        types::stable_merge_sort(order, [&](std::size_t a, std::size_t b) { return floats[a] < floats[b]; });
        return true;
    }
    if (PyUnicode_CheckExact(first)) {
        for (const PyRef& key : keys)
            if (!PyUnicode_CheckExact(key.get())) return false;
        types::stable_merge_sort(order, [&](std::size_t a, std::size_t b) {
            return PyUnicode_Compare(keys[a].get(), keys[b].get()) < 0;
        });
        return true;
    }
    return false;
}

// Sorts an index order by Python sort keys. False with the first comparison's
// exception set.
bool sort_by_python_keys(std::vector<std::size_t>& order, const std::vector<PyRef>& keys) {
    if (sort_natively(order, keys)) return true;
    SavedException error;
    types::stable_merge_sort(order, [&](std::size_t a, std::size_t b) {
        if (!error.empty()) return false;
        return py_compare(keys[a].get(), keys[b].get(), error) == Ordering::Less;
    });
    if (error.empty()) return true;
    error.restore();
    return false;
}

template <class T>
std::vector<T> permuted(std::vector<T>& values, const std::vector<std::size_t>& order) {
    std::vector<T> out;
    out.reserve(values.size());
    for (std::size_t i : order) out.push_back(std::move(values[i]));
    return out;
}

void put_back(types::YamlMapping& map, std::vector<Pair>& pairs) {
    map.reserve(pairs.size());
    for (auto& [key, entry] : pairs) map.insert_full(std::move(key), std::move(entry));
}

bool sort_mapping_level(types::YamlMapping& map, PyObject* key, bool reverse, bool recursive) {
    if (recursive) {
        for (std::size_t i = 0; i < map.size(); ++i) {
            if (!map.at(i).second.node.is_mapping()) continue;
            if (!sort_mapping_level(map.entry_mut(i).node.as_mapping(), key, reverse, recursive)) return false;
        }
    }
    std::vector<Pair> pairs = map.take_all();
    if (key == nullptr) {
        std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.first < b.first; });
    } else {
        std::vector<PyRef> sort_keys;
        sort_keys.reserve(pairs.size());
        for (const auto& pair : pairs) {
            PyRef text = PyRef::steal(
                PyUnicode_FromStringAndSize(pair.first.data(), static_cast<Py_ssize_t>(pair.first.size())));
            PyRef result = text ? PyRef::steal(PyObject_CallOneArg(key, text.get())) : PyRef();
            if (!result) {
                put_back(map, pairs);
                return false;
            }
            sort_keys.push_back(std::move(result));
        }
        std::vector<std::size_t> order = identity_order(pairs.size());
        if (!sort_by_python_keys(order, sort_keys)) {
            put_back(map, pairs);
            return false;
        }
        pairs = permuted(pairs, order);
    }
    if (reverse) std::reverse(pairs.begin(), pairs.end());
    put_back(map, pairs);
    return true;
}

}  // namespace

Ordering py_compare(PyObject* a, PyObject* b, SavedException& error) {
    int less = PyObject_RichCompareBool(a, b, Py_LT);
    if (less < 0) {
        error = SavedException::take();
        return Ordering::Equal;
    }
    if (less) return Ordering::Less;
    int greater = PyObject_RichCompareBool(a, b, Py_GT);
    if (greater < 0) {
        error = SavedException::take();
        return Ordering::Equal;
    }
    return greater ? Ordering::Greater : Ordering::Equal;
}

bool sort_mapping(types::YamlMapping& map, PyObject* key, bool reverse, bool recursive) {
    // Only a key function can fail. A nested level that failed after others were
    // sorted would leave a half-sorted tree, so the recursive form keeps a
    // snapshot (a shared copy, cloned level by level as the sort touches it).
    if (!recursive || key == nullptr) return sort_mapping_level(map, key, reverse, recursive);
    types::YamlMapping snapshot = map;
    if (sort_mapping_level(map, key, reverse, recursive)) return true;
    map = std::move(snapshot);
    return false;
}

bool sort_sequence(const ClassObjects& classes, types::ItemArray& inner, PyObject* key, bool reverse,
                   std::vector<std::size_t>& order) {
    std::vector<types::YamlItem> items = inner.take_all();
    if (items.empty()) return true;
    // The items go back into `inner` itself, which keeps its anchor, tag and
    // document comments.
    const auto put_back_unsorted = [&] { inner.items_mut() = std::move(items); };
    std::vector<PyRef> sort_keys;
    sort_keys.reserve(items.size());
    for (const auto& item : items) {
        PyRef value = node_to_py(classes, item.node);
        if (value && key != nullptr) value = PyRef::steal(PyObject_CallOneArg(key, value.get()));
        if (!value) {
            put_back_unsorted();
            return false;
        }
        sort_keys.push_back(std::move(value));
    }
    order = identity_order(items.size());
    if (!sort_by_python_keys(order, sort_keys)) {
        put_back_unsorted();
        return false;
    }
    if (reverse) std::reverse(order.begin(), order.end());
    inner.items_mut() = permuted(items, order);
    return true;
}

namespace {

// Puts the elements of a sorted sequence back where they were before the sort
// that gave `order`.
void unsort_sequence(types::ItemArray& inner, const std::vector<std::size_t>& order) {
    std::vector<types::YamlItem> items = inner.take_all();
    std::vector<types::YamlItem> old(items.size());
    for (std::size_t i = 0; i < order.size() && i < items.size(); ++i) old[order[i]] = std::move(items[i]);
    inner.items_mut() = std::move(old);
}

}  // namespace

PyObject* yaml_mapping_sort_keys(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[3];
    if (!parse_args("YamlMapping.sort_keys()", args, nargs, kwnames, {"key", "reverse", "recursive"}, 0, a))
        return nullptr;
    const std::optional<bool> reverse = flag_arg("reverse", a[1]);
    if (!reverse) return nullptr;
    const std::optional<bool> recursive = flag_arg("recursive", a[2]);
    if (!recursive) return nullptr;
    PyObject* key = a[0] == Py_None ? nullptr : a[0];
    PyYamlMapping* m = as_mapping(self);
    {
        WriteAccess write(m->guard, "YamlMapping");
        if (!write.ok()) return nullptr;
        if (!sort_mapping(m->inner, key, *reverse, *recursive)) return nullptr;
    }
    // Values go by key: a rebuild that fails leaves the parent dict in the old
    // order but with every value, which writes the same.
    if (!rebuild_parent_dict(classes, self)) return nullptr;
    Py_RETURN_NONE;
}

PyObject* yaml_sequence_sort(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const ClassObjects& classes = classes_of(self);
    PyObject* a[2];
    if (!parse_args("YamlSequence.sort()", args, nargs, kwnames, {"key", "reverse"}, 0, a)) return nullptr;
    const std::optional<bool> reverse = flag_arg("reverse", a[1]);
    if (!reverse) return nullptr;
    PyObject* key = a[0] == Py_None ? nullptr : a[0];
    PyYamlSequence* s = as_sequence(self);
    std::vector<std::size_t> order;
    {
        WriteAccess write(s->guard, "YamlSequence");
        if (!write.ok()) return nullptr;
        if (!sort_sequence(classes, s->inner, key, *reverse, order)) return nullptr;
    }
    // Comments are written by position: a parent list left in the old order
    // beside a sorted inner would write each value with another's comments, so
    // a rebuild that fails (leaving the list as it was) undoes the sort.
    if (!rebuild_parent_list(classes, self, [&](types::ItemArray& inner) { unsort_sequence(inner, order); }))
        return nullptr;
    Py_RETURN_NONE;
}

}  // namespace plovarn

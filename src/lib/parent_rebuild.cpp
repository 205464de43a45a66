#include "lib/parent_rebuild.h"

#include <utility>
#include <vector>

#include "lib/convert.h"
#include "lib/objects.h"
#include "lib/py_ref.h"
#include "lib/saved_exception.h"
#include "lib/take_back.h"

namespace plovarn {

namespace {

// How a rebuild ended: a failure before the parent container was touched leaves
// it as it was.
enum class Rebuild { Done, FailedUntouched, FailedTouched };

Rebuild rebuild_dict(const ClassObjects& classes, PyObject* self) {
    PyYamlMapping* m = as_mapping(self);
    std::vector<std::pair<PyRef, PyRef>> fresh;
    {
        ReadAccess read(m->guard, "YamlMapping");
        if (!read.ok()) return Rebuild::FailedUntouched;
        fresh.reserve(m->inner.size());
        for (const auto& [key, entry] : m->inner) {
            PyRef k = PyRef::steal(PyUnicode_FromStringAndSize(key.data(), static_cast<Py_ssize_t>(key.size())));
            if (!k) return Rebuild::FailedUntouched;
            PyRef v = node_to_py(classes, entry.node);
            if (!v) return Rebuild::FailedUntouched;
            fresh.emplace_back(std::move(k), std::move(v));
        }
    }
    PyDict_Clear(self);
    for (const auto& [k, v] : fresh)
        if (PyDict_SetItem(self, k.get(), v.get()) < 0) return Rebuild::FailedTouched;
    return Rebuild::Done;
}

// A list's slice assignment fails, if at all, before it changes the list.
Rebuild rebuild_list(const ClassObjects& classes, PyObject* self) {
    PyYamlSequence* s = as_sequence(self);
    PyRef fresh;
    {
        ReadAccess read(s->guard, "YamlSequence");
        if (!read.ok()) return Rebuild::FailedUntouched;
        const std::size_t n = s->inner.size();
        fresh = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(n)));
        if (!fresh) return Rebuild::FailedUntouched;
        for (std::size_t i = 0; i < n; ++i) {
            PyRef v = node_to_py(classes, s->inner[i].node);
            if (!v) return Rebuild::FailedUntouched;
            PyList_SET_ITEM(fresh.get(), static_cast<Py_ssize_t>(i), v.release());
        }
    }
    return PyList_SetSlice(self, 0, PY_SSIZE_T_MAX, fresh.get()) == 0 ? Rebuild::Done : Rebuild::FailedUntouched;
}

// Fills the parent dict again after a rebuild that failed having touched it,
// from whatever `inner` now holds. The first failure stays the one reported.
void refill(const ClassObjects& classes, PyObject* self, Rebuild outcome) {
    if (outcome != Rebuild::FailedTouched) return;
    SavedException error = SavedException::take();
    rebuild_dict(classes, self);
    PyErr_Clear();
    error.restore();
}

}  // namespace

bool rebuild_parent_dict(const ClassObjects& classes, PyObject* self, const Undo<types::YamlMapping>& undo) {
    const Rebuild outcome = rebuild_dict(classes, self);
    if (outcome == Rebuild::Done) return true;
    PyYamlMapping* m = as_mapping(self);
    if (undo) take_back(m->guard, "YamlMapping", [&] { undo(m->inner); });
    refill(classes, self, outcome);
    return false;
}

bool rebuild_parent_list(const ClassObjects& classes, PyObject* self, const Undo<types::ItemArray>& undo) {
    if (rebuild_list(classes, self) == Rebuild::Done) return true;
    PyYamlSequence* s = as_sequence(self);
    if (undo) take_back(s->guard, "YamlSequence", [&] { undo(s->inner); });
    return false;
}

}  // namespace plovarn

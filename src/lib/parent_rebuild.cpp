#include "lib/parent_rebuild.h"

#include <utility>
#include <vector>

#include "lib/convert.h"
#include "lib/objects.h"
#include "lib/py_ref.h"
#include "lib/saved_exception.h"

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

// Puts `before` back as the inner of `self` after `rebuild` failed; a parent
// container that the failed rebuild had touched is rebuilt from it, as far as
// that goes.
template <class Object, class Inner>
bool undo(const ClassObjects& classes, PyObject* self, Rebuild outcome, Inner before, const char* type_name,
          Rebuild (*rebuild)(const ClassObjects&, PyObject*)) {
    if (outcome == Rebuild::Done) return true;
    SavedException error = SavedException::take();
    Object* obj = reinterpret_cast<Object*>(self);
    bool restored = false;
    {
        WriteAccess write(obj->guard, type_name);
        if (write.ok()) {
            obj->inner = std::move(before);
            restored = true;
        }
    }
    if (restored && outcome == Rebuild::FailedTouched) rebuild(classes, self);
    PyErr_Clear();
    error.restore();
    return false;
}

}  // namespace

bool rebuild_parent_dict_or_undo(const ClassObjects& classes, PyObject* self, types::YamlMapping before) {
    return undo<PyYamlMapping>(classes, self, rebuild_dict(classes, self), std::move(before), "YamlMapping",
                               rebuild_dict);
}

bool rebuild_parent_list_or_undo(const ClassObjects& classes, PyObject* self, types::ItemArray before) {
    return undo<PyYamlSequence>(classes, self, rebuild_list(classes, self), std::move(before), "YamlSequence",
                                rebuild_list);
}

}  // namespace plovarn

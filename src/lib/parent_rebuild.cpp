#include "lib/parent_rebuild.h"

#include <utility>
#include <vector>

#include "lib/convert.h"
#include "lib/objects.h"
#include "lib/py_ref.h"

namespace plovarn {

bool rebuild_parent_dict(const ClassObjects& classes, PyObject* self) {
    PyYamlMapping* m = as_mapping(self);
    std::vector<std::pair<PyRef, PyRef>> fresh;
    {
        ReadAccess read(m->guard, "YamlMapping");
        if (!read.ok()) return false;
        fresh.reserve(m->inner.size());
        for (const auto& [key, entry] : m->inner) {
            PyRef k = PyRef::steal(PyUnicode_FromStringAndSize(key.data(), static_cast<Py_ssize_t>(key.size())));
            if (!k) return false;
            PyRef v = node_to_py(classes, entry.node);
            if (!v) return false;
            fresh.emplace_back(std::move(k), std::move(v));
        }
    }
    PyDict_Clear(self);
    for (const auto& [k, v] : fresh)
        if (PyDict_SetItem(self, k.get(), v.get()) < 0) return false;
    return true;
}

bool rebuild_parent_list(const ClassObjects& classes, PyObject* self) {
    PyYamlSequence* s = as_sequence(self);
    PyRef fresh;
    {
        ReadAccess read(s->guard, "YamlSequence");
        if (!read.ok()) return false;
        const std::size_t n = s->inner.size();
        fresh = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(n)));
        if (!fresh) return false;
        for (std::size_t i = 0; i < n; ++i) {
            PyRef v = node_to_py(classes, s->inner[i].node);
            if (!v) return false;
            PyList_SET_ITEM(fresh.get(), static_cast<Py_ssize_t>(i), v.release());
        }
    }
    return PyList_SetSlice(self, 0, PY_SSIZE_T_MAX, fresh.get()) == 0;
}

}  // namespace plovarn

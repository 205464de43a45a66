// A copy keeps the native part (comments, key order, written forms, anchors) with
// the values: a program that edits a copy of a document and writes it loses
// nothing the original held. The parent container is copied as it stands, also
// where changes made through the plain dict or list methods left it apart from
// the native part, so that the copy writes what the original would. A shallow
// copy holds the same values; a deep one holds what copy.deepcopy makes of them
// with the caller's memo, in which the copy is entered first, so that a container
// that holds itself is copied once.

#include <utility>

#include "lib/args.h"
#include "lib/copying.h"
#include "lib/objects.h"
#include "lib/py_ref.h"

namespace plovarn {
namespace {

// What a copy of one value of the parent container is: the value itself, or
// copy.deepcopy(value, memo).
struct ValueCopier {
    PyRef deepcopy;  // empty for a shallow copy
    PyObject* memo = nullptr;

    PyRef operator()(PyObject* value) const {
        if (!deepcopy) return PyRef::borrow(value);
        return PyRef::steal(PyObject_CallFunctionObjArgs(deepcopy.get(), value, memo, nullptr));
    }
};

// A new instance of the class of `self` holding a copy of its native part.
template <class Object, class Inner>
PyRef with_native_copy(PyObject* self, const char* type_name, PyRef (*make)(const ClassObjects&, Inner)) {
    Object* obj = reinterpret_cast<Object*>(self);
    ReadAccess read(obj->guard, type_name);
    if (!read.ok()) return PyRef();
    return make(classes_of(self), obj->inner);
}

// The values are taken first: copying them runs Python code, which may change
// the original.
bool fill_mapping(PyObject* copy, PyObject* self, const ValueCopier& copy_value) {
    PyRef items = PyRef::steal(PyDict_Items(self));
    if (!items) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        PyObject* pair = PyList_GET_ITEM(items.get(), i);
        PyRef value = copy_value(PyTuple_GET_ITEM(pair, 1));
        if (!value || PyDict_SetItem(copy, PyTuple_GET_ITEM(pair, 0), value.get()) < 0) return false;
    }
    return true;
}

bool fill_sequence(PyObject* copy, PyObject* self, const ValueCopier& copy_value) {
    PyRef items = PyRef::steal(PyList_GetSlice(self, 0, PY_SSIZE_T_MAX));
    if (!items) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        PyRef value = copy_value(PyList_GET_ITEM(items.get(), i));
        if (!value || PyList_Append(copy, value.get()) < 0) return false;
    }
    return true;
}

PyRef copy_instance(PyObject* self, ValueCopier copy_value) {
    PyRef copy;
    bool (*fill)(PyObject*, PyObject*, const ValueCopier&) = nullptr;
    if (is_yaml_mapping(self)) {
        copy = with_native_copy<PyYamlMapping>(self, "YamlMapping", new_yaml_mapping);
        fill = fill_mapping;
    } else if (is_yaml_sequence(self)) {
        copy = with_native_copy<PyYamlSequence>(self, "YamlSequence", new_yaml_sequence);
        fill = fill_sequence;
    } else {
        PyYamlScalar* obj = as_scalar(self);
        ReadAccess read(obj->guard, "YamlScalar");
        if (!read.ok()) return PyRef();
        return new_yaml_scalar(classes_of(self), obj->node);
    }
    if (!copy) return PyRef();
    if (copy_value.memo && copy_value.memo != Py_None) {
        PyRef id = PyRef::steal(PyLong_FromVoidPtr(self));
        if (!id || PyObject_SetItem(copy_value.memo, id.get(), copy.get()) < 0) return PyRef();
    }
    if (!fill(copy.get(), self, copy_value)) return PyRef();
    return copy;
}

// "YamlMapping.__copy__()", as argument errors name it.
const char* method_name(PyObject* self, bool deep) {
    if (is_yaml_mapping(self)) return deep ? "YamlMapping.__deepcopy__()" : "YamlMapping.__copy__()";
    if (is_yaml_sequence(self)) return deep ? "YamlSequence.__deepcopy__()" : "YamlSequence.__copy__()";
    return deep ? "YamlScalar.__deepcopy__()" : "YamlScalar.__copy__()";
}

PyObject* shallow_copy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse_args(method_name(self, false), args, nargs, kwnames, {}, 0, nullptr)) return nullptr;
    return copy_instance(self, ValueCopier{}).release();
}

PyObject* deep_copy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* memo[1];
    if (!parse_args(method_name(self, true), args, nargs, kwnames, {"memo"}, 1, memo)) return nullptr;
    PyRef copy_module = PyRef::steal(PyImport_ImportModule("copy"));
    if (!copy_module) return nullptr;
    PyRef deepcopy = PyRef::steal(PyObject_GetAttrString(copy_module.get(), "deepcopy"));
    if (!deepcopy) return nullptr;
    return copy_instance(self, ValueCopier{std::move(deepcopy), memo[0]}).release();
}

}  // namespace

PyMethodDef copy_method_def() { return {"__copy__", fastcall(shallow_copy), fastcall_flags, "__copy__($self)\n--\n\n"}; }

PyMethodDef deepcopy_method_def() {
    return {"__deepcopy__", fastcall(deep_copy), fastcall_flags, "__deepcopy__($self, memo)\n--\n\n"};
}

}  // namespace plovarn

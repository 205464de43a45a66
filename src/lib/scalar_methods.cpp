// Methods of YamlScalar: its value, equality by value, no ordering.

#include "lib/args.h"
#include "lib/class_methods.h"
#include "lib/convert.h"
#include "lib/copying.h"
#include "lib/objects.h"
#include "lib/py_ref.h"

namespace plovarn {
namespace {

constexpr const char* type_name = "YamlScalar";

PyRef value_of_node(const types::YamlNode& node) {
    if (node.is_scalar()) return scalar_to_py(node.as_scalar());
    return PyRef::borrow(Py_None);
}

PyRef value_of(PyObject* self) {
    PyYamlScalar* s = as_scalar(self);
    ReadAccess read(s->guard, type_name);
    if (!read.ok()) return PyRef();
    return value_of_node(s->node);
}

PyObject* get_value(PyObject* self, void*) { return value_of(self).release(); }

PyObject* to_dict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse_args("YamlScalar.to_dict()", args, nargs, kwnames, {}, 0, nullptr)) return nullptr;
    return value_of(self).release();
}

// The truth of a comparison's result: 1, 0, or -1 with an exception set.
int truth_of(PyRef result) { return result ? PyObject_IsTrue(result.get()) : -1; }

// Whether the values are equal; `other` is another YamlScalar or a plain value.
int equals(PyObject* self, PyObject* other) {
    PyRef a = value_of(self);
    if (!a) return -1;
    PyRef b = is_yaml_scalar(other) ? value_of(other) : PyRef::borrow(other);
    if (!b) return -1;
    return truth_of(PyRef::steal(PyObject_RichCompare(a.get(), b.get(), Py_EQ)));
}

PyMethodDef methods[] = {
    {"to_dict", fastcall(to_dict), fastcall_flags, "to_dict($self)\n--\n\n"},
    copy_method_def(),
    deepcopy_method_def(),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef getset[] = {
    {"value", get_value, nullptr, "The Python primitive value of this scalar.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

PyMethodDef* yaml_scalar_methods() { return methods; }
PyGetSetDef* yaml_scalar_getset() { return getset; }

PyObject* yaml_scalar_repr(PyObject* self) {
    PyRef value = value_of(self);
    if (!value) return nullptr;
    return PyUnicode_FromFormat("YamlScalar(%R)", value.get());
}

PyObject* yaml_scalar_richcompare(PyObject* self, PyObject* other, int op) {
    if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
    // != goes through the interpreter's ==, so that a reflected comparison of
    // other's type takes part as for any ==.
    const int truth =
        op == Py_EQ ? equals(self, other) : truth_of(PyRef::steal(PyObject_RichCompare(self, other, Py_EQ)));
    if (truth < 0) return nullptr;
    return PyBool_FromLong(op == Py_EQ ? truth : !truth);
}

}  // namespace plovarn

#pragma once

// Method tables and slot functions of the three classes, used by the type
// specifications that create the class objects.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace plovarn {

PyMethodDef* yaml_mapping_methods();
PyObject* yaml_mapping_repr(PyObject* self);
int yaml_mapping_ass_subscript(PyObject* self, PyObject* key, PyObject* value);

PyMethodDef* yaml_sequence_methods();
PyObject* yaml_sequence_repr(PyObject* self);
int yaml_sequence_ass_subscript(PyObject* self, PyObject* key, PyObject* value);

PyMethodDef* yaml_scalar_methods();
PyGetSetDef* yaml_scalar_getset();
PyObject* yaml_scalar_repr(PyObject* self);
PyObject* yaml_scalar_richcompare(PyObject* self, PyObject* other, int op);

}  // namespace plovarn

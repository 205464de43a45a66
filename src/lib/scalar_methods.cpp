// Methods of YamlScalar (to be filled in).

#include "lib/class_methods.h"

namespace plovarn {

PyMethodDef yaml_scalar_methods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef yaml_scalar_getset[] = {
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyObject* yaml_scalar_repr(PyObject*) { return PyUnicode_FromString("YamlScalar"); }

PyObject* yaml_scalar_richcompare(PyObject*, PyObject*, int) { Py_RETURN_NOTIMPLEMENTED; }

}  // namespace plovarn

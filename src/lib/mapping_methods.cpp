// Methods of YamlMapping (to be filled in).

#include "lib/class_methods.h"

namespace plovarn {

PyMethodDef yaml_mapping_methods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyObject* yaml_mapping_repr(PyObject* self) { (void)self; return PyUnicode_FromString(""); }

int yaml_mapping_ass_subscript(PyObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_NotImplementedError, "not yet");
    return -1;
}

}  // namespace plovarn

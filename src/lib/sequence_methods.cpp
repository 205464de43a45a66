// Methods of YamlSequence (to be filled in).

#include "lib/class_methods.h"

namespace plovarn {

PyMethodDef yaml_sequence_methods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyObject* yaml_sequence_repr(PyObject* self) { (void)self; return PyUnicode_FromString(""); }

int yaml_sequence_ass_subscript(PyObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_NotImplementedError, "not yet");
    return -1;
}

}  // namespace plovarn

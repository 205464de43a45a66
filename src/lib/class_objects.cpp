// The three class objects, created from type specifications, with construction and
// destruction of their native part.

#include <new>
#include <utility>

#include "lib/args.h"
#include "lib/class_methods.h"
#include "lib/objects.h"

namespace plovarn {

namespace {

// The base types allocate and initialise their own part (an empty dict or list);
// the native part is then constructed in the storage that follows it.
template <class Object, class Inner>
PyRef new_with_inner(PyTypeObject* type, PyTypeObject* base, Inner inner) {
    PyRef empty = PyRef::steal(PyTuple_New(0));
    if (!empty) return PyRef();
    PyRef self = PyRef::steal(base->tp_new(type, empty.get(), nullptr));
    if (!self) return PyRef();
    Object* obj = reinterpret_cast<Object*>(self.get());
    new (&obj->guard) AccessGuard{};
    new (&obj->inner) Inner(std::move(inner));
    return self;
}

PyObject* yaml_mapping_new(PyTypeObject* type, PyObject* args, PyObject* kwds) {
    if (!parse_no_args("YamlMapping.__new__()", args, kwds)) return nullptr;
    return new_with_inner<PyYamlMapping>(type, &PyDict_Type, types::YamlMapping{}).release();
}

PyObject* yaml_sequence_new(PyTypeObject* type, PyObject* args, PyObject* kwds) {
    if (!parse_no_args("YamlSequence.__new__()", args, kwds)) return nullptr;
    return new_with_inner<PyYamlSequence>(type, &PyList_Type, types::ItemArray{}).release();
}

// Destroys the native part, then lets the base type destroy itself. The trashcan
// keeps the release of deeply nested containers off the native stack.
template <class Object, class Inner>
void dealloc_with_inner(PyObject* self, PyTypeObject* base, destructor self_dealloc) {
    PyObject_GC_UnTrack(self);
    Py_TRASHCAN_BEGIN(self, self_dealloc)
    PyTypeObject* type = Py_TYPE(self);
    Object* obj = reinterpret_cast<Object*>(self);
    obj->inner.~Inner();
    obj->guard.~AccessGuard();
    base->tp_dealloc(self);
    Py_DECREF(type);
    Py_TRASHCAN_END
}

const char yaml_mapping_doc[] =
    "YamlMapping()\n--\n\n"
    "A YAML mapping node. Subclass of dict; the parent dict is always kept in\n"
    "sync with `inner` so that standard dict operations work transparently.";
const char yaml_sequence_doc[] =
    "YamlSequence()\n--\n\n"
    "A YAML sequence node. Subclass of list; the parent list is always kept in\n"
    "sync with `inner` so that standard list operations work transparently.";
const char yaml_scalar_doc[] = "A YAML scalar document node (int, float, bool, str, or null).";

// The dotted names make the classes report the module "builtins". No base-type
// flag: the classes cannot be subclassed. The types remember their module, where
// methods find the module's state. Mapping and sequence inherit the collector's
// traversal of dict and list, which does not visit the class: visiting it would
// cost every collection a call per live container, and the class stays alive
// through its instances' references either way.
PyRef type_from_spec(PyObject* module, const char* name, int size, unsigned flags, PyType_Slot* slots,
                     PyTypeObject* base) {
    PyType_Spec spec = {name, size, 0, flags, slots};
    return PyRef::steal(PyType_FromModuleAndSpec(module, &spec, reinterpret_cast<PyObject*>(base)));
}

// What YamlMapping and YamlSequence are made of.
struct ContainerClass {
    const char* name;
    int size;
    const char* doc;
    newfunc construct;
    destructor dealloc;
    reprfunc repr;
    objobjargproc assign_subscript;
    PyMethodDef* methods;
    PyTypeObject* base;
};

PyRef create_container_type(PyObject* module, const ContainerClass& c) {
    PyType_Slot slots[] = {
        {Py_tp_doc, const_cast<char*>(c.doc)},
        {Py_tp_new, reinterpret_cast<void*>(c.construct)},
        {Py_tp_dealloc, reinterpret_cast<void*>(c.dealloc)},
        {Py_tp_repr, reinterpret_cast<void*>(c.repr)},
        {Py_mp_ass_subscript, reinterpret_cast<void*>(c.assign_subscript)},
        {Py_tp_methods, c.methods},
        {0, nullptr},
    };
    return type_from_spec(module, c.name, c.size, Py_TPFLAGS_DEFAULT, slots, c.base);
}

}  // namespace

void yaml_mapping_dealloc(PyObject* self) {
    dealloc_with_inner<PyYamlMapping, types::YamlMapping>(self, &PyDict_Type, yaml_mapping_dealloc);
}

void yaml_sequence_dealloc(PyObject* self) {
    dealloc_with_inner<PyYamlSequence, types::ItemArray>(self, &PyList_Type, yaml_sequence_dealloc);
}

void yaml_scalar_dealloc(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    PyYamlScalar* obj = as_scalar(self);
    obj->node.~YamlNode();
    obj->guard.~AccessGuard();
    type->tp_free(self);
    Py_DECREF(type);
}

PyRef create_yaml_scalar_type(PyObject* module) {
    PyType_Slot slots[] = {
        {Py_tp_doc, const_cast<char*>(yaml_scalar_doc)},
        {Py_tp_dealloc, reinterpret_cast<void*>(yaml_scalar_dealloc)},
        {Py_tp_repr, reinterpret_cast<void*>(yaml_scalar_repr)},
        {Py_tp_richcompare, reinterpret_cast<void*>(yaml_scalar_richcompare)},
        {Py_tp_methods, yaml_scalar_methods()},
        {Py_tp_getset, yaml_scalar_getset()},
        {0, nullptr},
    };
    return type_from_spec(module, "builtins.YamlScalar", sizeof(PyYamlScalar),
                          Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots, nullptr);
}

PyRef create_yaml_mapping_type(PyObject* module) {
    return create_container_type(module, {"builtins.YamlMapping", sizeof(PyYamlMapping), yaml_mapping_doc,
                                          yaml_mapping_new, yaml_mapping_dealloc, yaml_mapping_repr,
                                          yaml_mapping_ass_subscript, yaml_mapping_methods(), &PyDict_Type});
}

PyRef create_yaml_sequence_type(PyObject* module) {
    return create_container_type(module, {"builtins.YamlSequence", sizeof(PyYamlSequence), yaml_sequence_doc,
                                          yaml_sequence_new, yaml_sequence_dealloc, yaml_sequence_repr,
                                          yaml_sequence_ass_subscript, yaml_sequence_methods(), &PyList_Type});
}

PyRef new_yaml_mapping(const ClassObjects& classes, types::YamlMapping inner) {
    return new_with_inner<PyYamlMapping>(classes.mapping, &PyDict_Type, std::move(inner));
}

PyRef new_yaml_sequence(const ClassObjects& classes, types::ItemArray inner) {
    return new_with_inner<PyYamlSequence>(classes.sequence, &PyList_Type, std::move(inner));
}

PyRef new_yaml_scalar(const ClassObjects& classes, types::YamlNode node) {
    PyRef self = PyRef::steal(classes.scalar->tp_alloc(classes.scalar, 0));
    if (!self) return PyRef();
    PyYamlScalar* obj = as_scalar(self.get());
    new (&obj->guard) AccessGuard{};
    new (&obj->node) types::YamlNode(std::move(node));
    return self;
}

}  // namespace plovarn

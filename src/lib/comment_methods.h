#pragma once

// The comment methods that YamlMapping and YamlSequence share: each reads or
// replaces the comment above or beside one entry, picked by a key or an index.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>

#include "lib/args.h"
#include "lib/objects.h"
#include "lib/py_ref.h"
#include "types/node.h"

namespace plovarn {

enum class CommentSlot { Before, Inline };

inline types::OptText& comment_in(types::YamlEntry& entry, CommentSlot slot) {
    return slot == CommentSlot::Before ? entry.comment_before : entry.comment_inline;
}
inline const types::OptText& comment_in(const types::YamlEntry& entry, CommentSlot slot) {
    return slot == CommentSlot::Before ? entry.comment_before : entry.comment_inline;
}

// A comment as a new str, or None when it is absent.
inline PyRef comment_to_py(const types::OptText& comment) {
    if (!comment) return PyRef::borrow(Py_None);
    return PyRef::steal(PyUnicode_FromStringAndSize(comment->data(), static_cast<Py_ssize_t>(comment->size())));
}

// `Class` tells how one class picks an entry:
//   Object          its instance layout, with `guard` and `inner`;
//   type_name       "YamlMapping", for the access guard's messages;
//   selector        the parameter that picks the entry: "key" or "idx";
//   getter_names, setter_names   the methods' names for argument errors, by slot;
//   read(arg)       the selector converted, or nullopt with an exception set;
//   find(inner, s)  the entry, or nullptr: with an exception set when that is an
//                   error, without one when the entry simply has no comments;
//   find_mut(inner, s, arg)   the entry to change, or nullptr with an exception set.

template <class Class, CommentSlot slot>
PyObject* get_comment(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* a[1];
    if (!parse_args(Class::getter_names[static_cast<int>(slot)], args, nargs, kwnames, {Class::selector}, 1, a))
        return nullptr;
    const auto selector = Class::read(a[0]);
    if (!selector) return nullptr;
    auto* obj = reinterpret_cast<typename Class::Object*>(self);
    ReadAccess read(obj->guard, Class::type_name);
    if (!read.ok()) return nullptr;
    const types::YamlEntry* entry = Class::find(obj->inner, *selector);
    if (entry == nullptr) return PyErr_Occurred() ? nullptr : Py_NewRef(Py_None);
    return comment_to_py(comment_in(*entry, slot)).release();
}

template <class Class, CommentSlot slot>
PyObject* set_comment(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* a[2];
    if (!parse_args(Class::setter_names[static_cast<int>(slot)], args, nargs, kwnames, {Class::selector, "comment"},
                    2, a))
        return nullptr;
    const auto selector = Class::read(a[0]);
    if (!selector) return nullptr;
    const auto comment = text_arg("comment", a[1]);
    if (!comment) return nullptr;
    auto* obj = reinterpret_cast<typename Class::Object*>(self);
    WriteAccess write(obj->guard, Class::type_name);
    if (!write.ok()) return nullptr;
    types::YamlEntry* entry = Class::find_mut(obj->inner, *selector, a[0]);
    if (entry == nullptr) return nullptr;
    comment_in(*entry, slot) = std::string(*comment);
    Py_RETURN_NONE;
}

}  // namespace plovarn

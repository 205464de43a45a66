#pragma once

// What YamlMapping and YamlSequence share: to_dict, the four comment methods,
// each of which reads or replaces the comment above or beside one entry picked
// by a key or an index, the end of their method tables, and the representation.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstddef>
#include <string>

#include "lib/args.h"
#include "lib/copying.h"
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

// `Class` tells what these need to know of one class:
//   Object          its instance layout, with `guard` and `inner`;
//   type_name       "YamlMapping", for messages;
//   to_dict(inner)  the plain copy of `inner`;
//   repr(inner)     the representation of `inner`;
//   selector        the parameter that picks an entry: "key" or "idx";
//   read(arg)       the selector converted, or nullopt with an exception set;
//   find(inner, s)  the entry, or nullptr: with an exception set when that is an
//                   error, without one when the entry simply has no comments;
//   find_mut(inner, s, arg)   the entry to change, or nullptr with an exception set.

// The texts of one comment method, made once (the statics of each instance are
// initialised once, whichever thread comes first) and kept for the process.
template <class Class, CommentSlot slot, bool setter>
struct CommentMethod {
    static std::string bare() {
        return std::string(setter ? "set" : "get") + "_comment_" + (slot == CommentSlot::Before ? "before" : "inline");
    }
    static const char* name() {
        static const std::string text = bare();
        return text.c_str();
    }
    // "YamlMapping.get_comment_before()", as argument errors name it.
    static const char* qualified_name() {
        static const std::string text = std::string(Class::type_name) + "." + bare() + "()";
        return text.c_str();
    }
    // The text signature: "set_comment_before($self, key, comment)\n--\n\n".
    static const char* doc() {
        static const std::string text =
            bare() + "($self, " + Class::selector + (setter ? ", comment" : "") + ")\n--\n\n";
        return text.c_str();
    }
};

template <class Class>
PyObject* to_dict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const std::string name = std::string(Class::type_name) + ".to_dict()";
    if (!parse_args(name.c_str(), args, nargs, kwnames, {}, 0, nullptr)) return nullptr;
    auto* obj = reinterpret_cast<typename Class::Object*>(self);
    ReadAccess read(obj->guard, Class::type_name);
    if (!read.ok()) return nullptr;
    return Class::to_dict(obj->inner).release();
}

template <class Class, CommentSlot slot>
PyObject* get_comment(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* a[1];
    if (!parse_args(CommentMethod<Class, slot, false>::qualified_name(), args, nargs, kwnames, {Class::selector}, 1,
                    a))
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
    if (!parse_args(CommentMethod<Class, slot, true>::qualified_name(), args, nargs, kwnames,
                    {Class::selector, "comment"}, 2, a))
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

template <class Class, CommentSlot slot, bool setter>
PyMethodDef comment_method_def() {
    using Texts = CommentMethod<Class, slot, setter>;
    return {Texts::name(), fastcall(setter ? set_comment<Class, slot> : get_comment<Class, slot>), fastcall_flags,
            Texts::doc()};
}

// The method table of a class: its own methods, then to_dict,
// get_comment_inline, get_comment_before, set_comment_inline,
// set_comment_before, __copy__ and __deepcopy__, then the end marker.
template <class Class, std::size_t N>
std::array<PyMethodDef, N + 8> method_table(const std::array<PyMethodDef, N>& own) {
    std::array<PyMethodDef, N + 8> table{};
    for (std::size_t i = 0; i < N; ++i) table[i] = own[i];
    table[N] = {"to_dict", fastcall(to_dict<Class>), fastcall_flags, "to_dict($self)\n--\n\n"};
    table[N + 1] = comment_method_def<Class, CommentSlot::Inline, false>();
    table[N + 2] = comment_method_def<Class, CommentSlot::Before, false>();
    table[N + 3] = comment_method_def<Class, CommentSlot::Inline, true>();
    table[N + 4] = comment_method_def<Class, CommentSlot::Before, true>();
    table[N + 5] = copy_method_def();
    table[N + 6] = deepcopy_method_def();
    table[N + 7] = {nullptr, nullptr, 0, nullptr};
    return table;
}

template <class Class>
PyObject* container_repr(PyObject* self) {
    auto* obj = reinterpret_cast<typename Class::Object*>(self);
    ReadAccess read(obj->guard, Class::type_name);
    if (!read.ok()) return nullptr;
    const std::string text = Class::repr(obj->inner);
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

}  // namespace plovarn

#include "lib/method_args.h"

#include "lib/args.h"
#include "lib/numpy_bool.h"
#include "lib/py_ref.h"

namespace plovarn {
namespace {

std::optional<std::string_view> utf8_of(PyObject* obj) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
    if (data == nullptr) return std::nullopt;
    return std::string_view(data, static_cast<std::size_t>(size));
}

// Gives the TypeError of a failed index conversion the prefix "argument '<name>': ";
// any other exception stays as it is.
void prefix_type_error(const char* name) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
    PyObject* type = nullptr;
    PyObject* raw_value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &raw_value, &traceback);
    PyErr_NormalizeException(&type, &raw_value, &traceback);
    PyRef owned_type = PyRef::steal(type);
    PyRef owned_value = PyRef::steal(raw_value);
    PyRef owned_tb = PyRef::steal(traceback);
    PyRef message = PyRef::steal(owned_value ? PyObject_Str(owned_value.get()) : PyUnicode_FromString(""));
    if (!message) return;
    PyErr_Format(PyExc_TypeError, "argument '%s': %U", name, message.get());
}

}  // namespace

std::optional<std::string_view> text_arg(const char* name, PyObject* obj) {
    if (!PyUnicode_Check(obj)) {
        argument_type_error(name, obj, "str");
        return std::nullopt;
    }
    return utf8_of(obj);
}

std::optional<std::string_view> text_value(PyObject* obj) {
    if (!PyUnicode_Check(obj)) {
        PyErr_Format(PyExc_TypeError, "'%s' object is not an instance of 'str'", Py_TYPE(obj)->tp_name);
        return std::nullopt;
    }
    return utf8_of(obj);
}

static_assert(sizeof(long) >= sizeof(Py_ssize_t));

std::optional<long> index_arg(const char* name, PyObject* obj) {
    PyRef number = PyRef::steal(PyNumber_Index(obj));
    if (!number) {
        prefix_type_error(name);
        return std::nullopt;
    }
    const Py_ssize_t value = PyLong_AsSsize_t(number.get());
    if (value == -1 && PyErr_Occurred()) return std::nullopt;
    return static_cast<long>(value);
}

std::optional<long> item_index_arg(const char* name, PyObject* obj) {
    const Py_ssize_t value = PyNumber_AsSsize_t(obj, PyExc_IndexError);
    if (value != -1 || !PyErr_Occurred()) return static_cast<long>(value);
    prefix_type_error(name);
    return std::nullopt;
}

std::optional<bool> flag_arg(const char* name, PyObject* obj) {
    if (obj == nullptr) return false;
    if (PyBool_Check(obj)) return obj == Py_True;
    if (is_numpy_bool(obj)) {
        int truth = PyObject_IsTrue(obj);
        if (truth < 0) return std::nullopt;
        return truth == 1;
    }
    argument_type_error(name, obj, "bool");
    return std::nullopt;
}

PyObject* exact_str(PyObject* key, std::string_view text) {
    if (PyUnicode_CheckExact(key)) {
        Py_INCREF(key);
        return key;
    }
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

PyObject* comment_to_py(const types::OptText& comment) {
    if (!comment) Py_RETURN_NONE;
    return PyUnicode_FromStringAndSize(comment->data(), static_cast<Py_ssize_t>(comment->size()));
}

PyObject* key_error(PyObject* key, std::string_view text) {
    PyRef arg = PyRef::steal(exact_str(key, text));
    if (arg) PyErr_SetObject(PyExc_KeyError, arg.get());
    return nullptr;
}

}  // namespace plovarn

#include "lib/args.h"

#include <string>
#include <vector>

#include "lib/numpy_bool.h"
#include "lib/py_ref.h"
#include "lib/saved_exception.h"

namespace plovarn {
namespace {

std::string quoted_list(const std::vector<const char*>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += names.size() > 2 ? ", " : " ";
        if (i > 0 && i + 1 == names.size()) out += "and ";
        out += '\'';
        out += names[i];
        out += '\'';
    }
    return out;
}

bool too_many_positional(const char* function, std::size_t total, std::size_t required, Py_ssize_t given) {
    const char* verb = given == 1 ? "was" : "were";
    if (required == total) {
        PyErr_Format(PyExc_TypeError, "%s takes %zu positional argument%s but %zd %s given", function, total,
                     total == 1 ? "" : "s", given, verb);
    } else {
        PyErr_Format(PyExc_TypeError, "%s takes from %zu to %zu positional arguments but %zd %s given", function,
                     required, total, given, verb);
    }
    return false;
}

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
    SavedException error = SavedException::take();
    PyRef message = PyRef::steal(PyObject_Str(error.value()));
    if (!message) return;
    PyErr_Format(PyExc_TypeError, "argument '%s': %U", name, message.get());
}

}  // namespace

bool parse_args(const char* function, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                std::initializer_list<const char*> names, std::size_t required, PyObject** out) {
    const std::size_t total = names.size();
    for (std::size_t i = 0; i < total; ++i) out[i] = nullptr;
    if (static_cast<std::size_t>(nargs) > total) return too_many_positional(function, total, required, nargs);
    for (Py_ssize_t i = 0; i < nargs; ++i) out[i] = args[i];

    const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject* key = PyTuple_GET_ITEM(kwnames, k);
        std::size_t slot = total;
        std::size_t i = 0;
        for (const char* name : names) {
            if (PyUnicode_Check(key) && PyUnicode_CompareWithASCIIString(key, name) == 0) {
                slot = i;
                break;
            }
            ++i;
        }
        if (slot == total) {
            PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%S'", function, key);
            return false;
        }
        if (out[slot] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s got multiple values for argument '%s'", function,
                         names.begin()[slot]);
            return false;
        }
        out[slot] = args[nargs + k];
    }

    std::vector<const char*> missing;
    for (std::size_t i = 0; i < required; ++i)
        if (out[i] == nullptr) missing.push_back(names.begin()[i]);
    if (!missing.empty()) {
        PyErr_Format(PyExc_TypeError, "%s missing %zu required positional argument%s: %s", function, missing.size(),
                     missing.size() == 1 ? "" : "s", quoted_list(missing).c_str());
        return false;
    }
    return true;
}

bool argument_type_error(const char* name, PyObject* value, const char* expected) {
    if (value == Py_None) {
        PyErr_Format(PyExc_TypeError, "argument '%s': 'None' is not an instance of '%s'", name, expected);
    } else {
        PyErr_Format(PyExc_TypeError, "argument '%s': '%s' object is not an instance of '%s'", name,
                     Py_TYPE(value)->tp_name, expected);
    }
    return false;
}

bool parse_no_args(const char* function, PyObject* args, PyObject* kwds) {
    const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    if (nargs > 0) return too_many_positional(function, 0, 0, nargs);
    if (kwds != nullptr && PyDict_GET_SIZE(kwds) > 0) {
        Py_ssize_t pos = 0;
        PyObject* key = nullptr;
        PyObject* value = nullptr;
        PyDict_Next(kwds, &pos, &key, &value);
        PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%S'", function, key);
        return false;
    }
    return true;
}

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

}  // namespace plovarn

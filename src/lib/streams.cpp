#include "lib/streams.h"

#include "lib/python_failures.h"
#include "lib/saved_exception.h"
#include "types/utf8.h"

namespace plovarn {
namespace {

const char read_type_message[] = "stream.read() must return str or bytes";

PyRef call_method(PyObject* obj, const char* name, PyObject* arg) {
    PyRef method_name = PyRef::steal(PyUnicode_FromString(name));
    if (!method_name) return PyRef();
    PyObject* args[2] = {obj, arg};
    const size_t nargs = arg ? 2 : 1;
    return PyRef::steal(
        PyObject_VectorcallMethod(method_name.get(), args, nargs | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
}

// Items of a sequence that are all integers 0..255, as bytes. Any ordinary
// failure on the way, including an exception from the iteration, makes it
// nullopt with no exception left set; an interruption stays pending.
std::optional<std::string> bytes_of_int_sequence(PyObject* obj) {
    PyRef iter = PyRef::steal(PyObject_GetIter(obj));
    if (!iter) {
        clear_ordinary_failure();
        return std::nullopt;
    }
    std::string out;
    const Py_ssize_t hint = PyObject_LengthHint(obj, 0);
    if (hint > 0) out.reserve(static_cast<std::size_t>(hint));
    else if (hint < 0 && !clear_ordinary_failure()) return std::nullopt;
    while (PyRef item = PyRef::steal(PyIter_Next(iter.get()))) {
        if (!PyLong_Check(item.get())) return std::nullopt;
        int overflow = 0;
        const long value = PyLong_AsLongAndOverflow(item.get(), &overflow);
        if (overflow != 0 || value < 0 || value > 255) return std::nullopt;
        out.push_back(static_cast<char>(value));
    }
    if (PyErr_Occurred()) {
        clear_ordinary_failure();
        return std::nullopt;
    }
    return out;
}

// Replaces the pending exception of a failed write() by RuntimeError "Write error:
// <type>: <str() of the exception>"; an interruption stays as it is.
void report_write_error() {
    if (!ordinary_failure_pending()) return;
    SavedException error = SavedException::take();
    PyRef type_name = PyRef::steal(PyType_GetQualName(error.type()));
    if (!type_name) return;
    PyRef description = PyRef::steal(PyObject_Str(error.value()));
    if (!description) {
        if (!clear_ordinary_failure()) return;
        description = PyRef::steal(PyUnicode_FromString("<exception str() failed>"));
        if (!description) return;
    }
    PyErr_Format(PyExc_RuntimeError, "Write error: %U: %U", type_name.get(), description.get());
}

}  // namespace

std::optional<std::string> utf8_error(std::string_view bytes) {
    const auto fault = types::first_utf8_fault(bytes);
    if (!fault) return std::nullopt;
    const std::string index = std::to_string(fault->offset);
    if (fault->found.fault == types::Utf8Char::Fault::CutShort)
        return "incomplete utf-8 byte sequence from index " + index;
    return "invalid utf-8 sequence of " + std::to_string(fault->found.length) + " bytes from index " + index;
}

std::optional<StreamText> read_stream(PyObject* stream) {
    PyRef result = call_method(stream, "read", nullptr);
    if (!result) return std::nullopt;
    PyObject* obj = result.get();
    StreamText out;

    if (PyUnicode_Check(obj)) {
        Py_ssize_t size = 0;
        const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
        if (data == nullptr) {
            // Lone surrogates: no UTF-8 form, and a str is never taken as bytes.
            PyErr_SetString(PyExc_RuntimeError, read_type_message);
            return std::nullopt;
        }
        out.owned_view = std::string_view(data, static_cast<std::size_t>(size));
        out.owner = std::move(result);
        return out;  // a str is valid UTF-8 already
    }
    if (PyBytes_Check(obj)) {
        out.owned_view = std::string_view(PyBytes_AS_STRING(obj), static_cast<std::size_t>(PyBytes_GET_SIZE(obj)));
        out.owner = std::move(result);
    } else if (PyByteArray_Check(obj)) {
        out.owned_view =
            std::string_view(PyByteArray_AS_STRING(obj), static_cast<std::size_t>(PyByteArray_GET_SIZE(obj)));
        out.owner = std::move(result);
    } else {
        std::optional<std::string> bytes;
        if (PySequence_Check(obj)) bytes = bytes_of_int_sequence(obj);
        if (!bytes && PyErr_Occurred()) return std::nullopt;
        if (!bytes) {
            PyErr_SetString(PyExc_RuntimeError, read_type_message);
            return std::nullopt;
        }
        out.storage = std::move(*bytes);
    }
    if (auto error = utf8_error(out.text())) {
        PyErr_Format(PyExc_RuntimeError, "UTF-8 decode error: %s", error->c_str());
        return std::nullopt;
    }
    return out;
}

bool write_to_stream(PyObject* stream, std::string_view text) {
    const auto size = static_cast<Py_ssize_t>(text.size());
    PyRef str = PyRef::steal(PyUnicode_DecodeUTF8(text.data(), size, "strict"));
    if (!str) return false;
    if (call_method(stream, "write", str.get())) return true;
    // Only a stream that refuses text gets the bytes: any other failure may have
    // come after part of the text was written, and a second call would repeat it.
    if (PyErr_ExceptionMatches(PyExc_TypeError)) {
        PyErr_Clear();
        str.reset();
        PyRef bytes = PyRef::steal(PyBytes_FromStringAndSize(text.data(), size));
        if (!bytes) return false;
        if (call_method(stream, "write", bytes.get())) return true;
    }
    report_write_error();
    return false;
}

}  // namespace plovarn

// The module definition, its execution step and the eight module functions.

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "lib/args.h"
#include "lib/convert.h"
#include "lib/convert_key_cache.h"
#include "lib/objects.h"
#include "lib/py_ref.h"
#include "lib/streams.h"

namespace plovarn {
namespace {

// Raises RuntimeError "Parse error: YAML parse error: <display form>", carrying
// the numbers of the message as the attributes `index`, `line` and `column`.
void raise_parse_error(const scanner::ScanError& error) {
    const std::string message = "Parse error: YAML parse error: " + error.display();
    PyRef text = PyRef::steal(PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
    if (!text) return;
    PyRef exc = PyRef::steal(PyObject_CallOneArg(PyExc_RuntimeError, text.get()));
    if (!exc) return;
    const std::pair<const char*, std::uint64_t> numbers[] = {
        {"index", error.mark.index}, {"line", error.mark.line}, {"column", error.mark.col + 1}};
    for (const auto& [name, value] : numbers) {
        PyRef number = PyRef::steal(PyLong_FromUnsignedLongLong(value));
        if (!number || PyObject_SetAttrString(exc.get(), name, number.get()) < 0) return;
    }
    PyErr_SetObject(PyExc_RuntimeError, exc.get());
}

std::optional<std::vector<types::YamlNode>> parse_text(std::string_view text) {
    auto docs = builder::read_documents(text);
    if (!docs) {
        raise_parse_error(docs.error());
        return std::nullopt;
    }
    return std::move(*docs);
}

PyRef first_document(const ModuleState& state, std::string_view text) {
    auto docs = parse_text(text);
    if (!docs) return PyRef();
    if (docs->empty()) return PyRef::borrow(Py_None);
    types::YamlNode first = std::move(docs->front());
    docs.reset();
    return node_to_doc(state, std::move(first));
}

PyRef all_documents(const ModuleState& state, std::string_view text) {
    auto docs = parse_text(text);
    if (!docs) return PyRef();
    return docs_to_list(state, std::move(*docs));
}

// The text of one document; always ends with a line feed.
std::optional<std::string> document_text(PyObject* doc) {
    auto node = extract_yaml_node(doc);
    if (!node) return std::nullopt;
    std::vector<types::YamlNode> one;
    one.push_back(std::move(*node));
    std::string out = emitter::emit_docs(one);
    if (out.empty() || out.back() != '\n') out.push_back('\n');
    return out;
}

std::optional<std::string> documents_text(PyObject* docs) {
    PyRef iter = PyRef::steal(PyObject_GetIter(docs));
    if (!iter) return std::nullopt;
    std::vector<types::YamlNode> nodes;
    while (PyRef item = PyRef::steal(PyIter_Next(iter.get()))) {
        auto node = extract_yaml_node(item.get());
        if (!node) return std::nullopt;
        nodes.push_back(std::move(*node));
    }
    if (PyErr_Occurred()) return std::nullopt;
    return emitter::emit_docs(nodes);
}

PyRef new_str(const std::string& text) {
    return PyRef::steal(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "strict"));
}

PyObject* load(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* stream = nullptr;
    if (!parse_args("load()", args, nargs, kwnames, {"stream"}, 1, &stream)) return nullptr;
    auto input = read_stream(stream);
    if (!input) return nullptr;
    return first_document(state_of_module(module), input->text()).release();
}

PyObject* loads(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* text = nullptr;
    if (!parse_args("loads()", args, nargs, kwnames, {"text"}, 1, &text)) return nullptr;
    auto input = text_arg("text", text);
    if (!input) return nullptr;
    return first_document(state_of_module(module), *input).release();
}

PyObject* load_all(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* stream = nullptr;
    if (!parse_args("load_all()", args, nargs, kwnames, {"stream"}, 1, &stream)) return nullptr;
    auto input = read_stream(stream);
    if (!input) return nullptr;
    return all_documents(state_of_module(module), input->text()).release();
}

PyObject* loads_all(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* text = nullptr;
    if (!parse_args("loads_all()", args, nargs, kwnames, {"text"}, 1, &text)) return nullptr;
    auto input = text_arg("text", text);
    if (!input) return nullptr;
    return all_documents(state_of_module(module), *input).release();
}

PyObject* dump(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* out[2];
    if (!parse_args("dump()", args, nargs, kwnames, {"doc", "stream"}, 2, out)) return nullptr;
    auto text = document_text(out[0]);
    if (!text || !write_to_stream(out[1], *text)) return nullptr;
    Py_RETURN_NONE;
}

PyObject* dumps(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* doc = nullptr;
    if (!parse_args("dumps()", args, nargs, kwnames, {"doc"}, 1, &doc)) return nullptr;
    auto text = document_text(doc);
    if (!text) return nullptr;
    return new_str(*text).release();
}

PyObject* dump_all(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* out[2];
    if (!parse_args("dump_all()", args, nargs, kwnames, {"docs", "stream"}, 2, out)) return nullptr;
    auto text = documents_text(out[0]);
    if (!text || !write_to_stream(out[1], *text)) return nullptr;
    Py_RETURN_NONE;
}

PyObject* dumps_all(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* docs = nullptr;
    if (!parse_args("dumps_all()", args, nargs, kwnames, {"docs"}, 1, &docs)) return nullptr;
    auto text = documents_text(docs);
    if (!text) return nullptr;
    return new_str(*text).release();
}

PyMethodDef functions[] = {
    {"load", fastcall(load), fastcall_flags, "load(stream)\n--\n\n"},
    {"loads", fastcall(loads), fastcall_flags, "loads(text)\n--\n\n"},
    {"load_all", fastcall(load_all), fastcall_flags, "load_all(stream)\n--\n\n"},
    {"loads_all", fastcall(loads_all), fastcall_flags, "loads_all(text)\n--\n\n"},
    {"dump", fastcall(dump), fastcall_flags, "dump(doc, stream)\n--\n\n"},
    {"dumps", fastcall(dumps), fastcall_flags, "dumps(doc)\n--\n\n"},
    {"dump_all", fastcall(dump_all), fastcall_flags, "dump_all(docs, stream)\n--\n\n"},
    {"dumps_all", fastcall(dumps_all), fastcall_flags, "dumps_all(docs)\n--\n\n"},
};

// Appends `name` to __all__ (creating the list on first use) and sets the
// attribute; takes the value over.
bool add_name(PyObject* module, const char* name, PyRef value) {
    if (!value) return false;
    PyRef all;
    if (PyObject_HasAttrString(module, "__all__")) {
        all = PyRef::steal(PyObject_GetAttrString(module, "__all__"));
    } else {
        all = PyRef::steal(PyList_New(0));
        if (all && PyObject_SetAttrString(module, "__all__", all.get()) < 0) return false;
    }
    if (!all) return false;
    PyRef name_obj = PyRef::steal(PyUnicode_FromString(name));
    if (!name_obj || PyList_Append(all.get(), name_obj.get()) < 0) return false;
    return PyObject_SetAttr(module, name_obj.get(), value.get()) == 0;
}

// Creates a class, keeps it in the module's state and adds it to the module.
bool add_class(PyObject* module, const char* name, PyTypeObject*& slot, PyRef (*create)(PyObject*)) {
    PyRef type = create(module);
    if (!type) return false;
    slot = reinterpret_cast<PyTypeObject*>(Py_NewRef(type.get()));
    return add_name(module, name, std::move(type));
}

int exec_module(PyObject* module) {
    ModuleState& state = state_of_module(module);
    state.keys = new (std::nothrow) convert_detail::KeyCache();
    if (state.keys == nullptr) {
        PyErr_NoMemory();
        return -1;
    }
    ClassObjects& classes = state.classes;
    if (!add_class(module, "YamlScalar", classes.scalar, create_yaml_scalar_type)) return -1;
    if (!add_class(module, "YamlMapping", classes.mapping, create_yaml_mapping_type)) return -1;
    if (!add_class(module, "YamlSequence", classes.sequence, create_yaml_sequence_type)) return -1;
    PyRef module_name = PyRef::steal(PyModule_GetNameObject(module));
    if (!module_name) return -1;
    for (PyMethodDef& def : functions) {
        PyRef function = PyRef::steal(PyCMethod_New(&def, module, module_name.get(), nullptr));
        if (!add_name(module, def.ml_name, std::move(function))) return -1;
    }
    // Not a name of the interface, so not in __all__.
    return PyModule_AddStringConstant(module, "__version__", PLOVARN_VERSION);
}

// The state holds the classes, which hold the module: the collector sees both.
int traverse_module(PyObject* module, visitproc visit, void* arg) {
    const ClassObjects& classes = classes_of_module(module);
    Py_VISIT(classes.scalar);
    Py_VISIT(classes.mapping);
    Py_VISIT(classes.sequence);
    return 0;
}

int clear_module(PyObject* module) {
    ModuleState& state = state_of_module(module);
    Py_CLEAR(state.classes.scalar);
    Py_CLEAR(state.classes.mapping);
    Py_CLEAR(state.classes.sequence);
    if (state.keys != nullptr) state.keys->clear();
    return 0;
}

void free_module(void* module) {
    clear_module(static_cast<PyObject*>(module));
    ModuleState& state = state_of_module(static_cast<PyObject*>(module));
    delete std::exchange(state.keys, nullptr);
}

// Every interpreter has its own module object, classes and state, and nothing
// else is shared: a sub-interpreter with its own GIL may import the module. The
// access guard is not atomic, so running without a GIL is not declared.
PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec_module)},
#ifdef Py_mod_multiple_interpreters
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
#endif
    {0, nullptr},
};

}  // namespace

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "plovarn",
    "The plovarn module.",
    sizeof(ModuleState),
    nullptr,
    module_slots,
    traverse_module,
    clear_module,
    free_module,
};

}  // namespace plovarn

PyMODINIT_FUNC PyInit_plovarn() { return PyModuleDef_Init(&plovarn::module_def); }

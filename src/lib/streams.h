#pragma once

// Reading the input text from a stream's read() and handing the output text to a
// stream's write(), each by one call.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <optional>
#include <string>
#include <string_view>

#include "lib/py_ref.h"

namespace plovarn {

// The UTF-8 text of one read() result: a view into the result object (kept alive
// by `owner`) or, for a sequence of byte values, the bytes collected in `storage`.
struct StreamText {
    PyRef owner;
    std::string_view owned_view;
    std::string storage;

    // Computed on use: a view into `storage` would not survive moving it.
    std::string_view text() const { return owner ? owned_view : std::string_view(storage); }
};

// Calls stream.read() once and takes its result as UTF-8 text. On failure a
// Python exception is set and nullopt returned.
std::optional<StreamText> read_stream(PyObject* stream);

// Passes `text` to stream.write() as str, or as bytes when the str call raises
// TypeError (the stream refuses text). Returns false with RuntimeError "Write
// error: ..." set when the call that counts raises an Exception; an interruption
// (KeyboardInterrupt and the like) is left as it was raised.
bool write_to_stream(PyObject* stream, std::string_view text);

// The first invalid place of `bytes` as strict UTF-8, described as
// "invalid utf-8 sequence of N bytes from index I" or "incomplete utf-8 byte
// sequence from index I"; nullopt when the bytes are valid.
std::optional<std::string> utf8_error(std::string_view bytes);

}  // namespace plovarn

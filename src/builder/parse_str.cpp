#include "builder/parse_str.h"

#include <variant>

#include "builder/builder.h"
#include "parser/line_reader.h"
#include "parser/parser.h"

namespace plovarn::builder {

std::expected<std::vector<types::YamlNode>, scanner::ScanError> read_documents_with_parser(std::string_view text) {
    parser::Parser parser(text);
    Builder builder;
    for (;;) {
        auto next = parser.next_event();
        if (!next) return std::unexpected(std::move(next.error()));
        const bool end = std::holds_alternative<parser::event::StreamEnd>(next->event);
        builder.apply(std::move(next->event), next->mark.line, parser.comments());
        if (end) return builder.take_documents();
    }
}

std::expected<std::vector<types::YamlNode>, scanner::ScanError> read_documents(std::string_view text) {
    {
        // Most texts are read line by line; what that reader declines, the
        // parser reads from the start.
        Builder builder;
        parser::LineReader lines(text);
        if (lines.read(builder)) return builder.take_documents();
    }
    return read_documents_with_parser(text);
}

std::expected<std::vector<types::YamlNode>, std::string> parse_str(std::string_view text) {
    auto docs = read_documents(text);
    if (!docs) return std::unexpected("YAML parse error: " + docs.error().display());
    return std::move(*docs);
}

}  // namespace plovarn::builder

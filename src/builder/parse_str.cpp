#include "builder/parse_str.h"

#include <variant>

#include "builder/builder.h"
#include "parser/parser.h"

namespace plovarn::builder {

std::expected<std::vector<types::YamlNode>, std::string> parse_str(std::string_view text) {
    parser::Parser parser(text);
    Builder builder;
    for (;;) {
        auto next = parser.next_event();
        if (!next) return std::unexpected("YAML parse error: " + next.error().display());
        const bool end = std::holds_alternative<parser::event::StreamEnd>(next->event);
        builder.apply(std::move(next->event), next->mark.line, parser.comments());
        if (end) return builder.take_documents();
    }
}

}  // namespace plovarn::builder

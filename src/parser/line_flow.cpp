// The line reader's flow collections: `[...]` and `{...}` that open and close on
// one line, nested or not, holding plain and quoted scalars. A flow mapping's
// keys are followed by `: `; empty entries, trailing commas and single pairs
// inside sequences are left to the parser.
#include "parser/line_reader.h"

namespace plovarn::parser {

namespace {

const char* skip_spaces(const char* p, const char* end) {
    while (p != end && *p == ' ') ++p;
    return p;
}

}  // namespace

bool LineReader::read_flow(const char* p) {
    constexpr std::size_t deepest = 200;  // well inside the parser's limit of 255
    const char* const end = line_.end;
    const std::uint64_t number = line_.number;
    std::vector<FlowLevel>& levels = flow_levels_;
    levels.clear();

    auto open = [&](const char* bracket) {
        const bool mapping = *bracket == '{';
        levels.push_back(FlowLevel{mapping, Due::FirstEntry});
        emit(mapping ? EventKind::MappingStart : EventKind::SequenceStart, number);
    };
    open(p++);
    for (;;) {
        p = skip_spaces(p, end);
        if (p == end) return false;  // the collection goes on over the next line
        FlowLevel& top = levels.back();
        const char closing = top.mapping ? '}' : ']';
        if (*p == closing && (top.due == Due::Separator || top.due == Due::FirstEntry)) {
            const EventKind kind = top.mapping ? EventKind::MappingEnd : EventKind::SequenceEnd;
            levels.pop_back();
            ++p;
            if (levels.empty()) {
                // The comment after the outermost bracket comes before its token.
                if (!finish_line(p, end, number)) return false;
                emit(kind, number);
                return true;
            }
            emit(kind, number);
            continue;
        }
        if (top.due == Due::Separator) {
            if (*p != ',') return false;
            top.due = Due::Entry;
            ++p;
            continue;
        }
        const bool key = top.mapping && top.due != Due::Value;
        if (*p == '[' || *p == '{') {
            if (key || levels.size() == deepest) return false;
            top.due = Due::Separator;
            open(p++);
            continue;
        }
        std::string_view text;
        ScalarStyle style = ScalarStyle::Plain;
        const char* after;  // what follows the scalar, past blanks
        if (*p == '\'' || *p == '"') {
            const char* close = closing_quote(p, end);
            if (close == nullptr) return false;
            text = std::string_view(p + 1, static_cast<std::size_t>(close - p - 1));
            style = *p == '\'' ? ScalarStyle::SingleQuoted : ScalarStyle::DoubleQuoted;
            after = skip_spaces(close + 1, end);
        } else {
            if (!plain_can_start(p, end, true)) return false;
            const PlainRun run = plain_run(p, end, true);
            if (run.how != Stop::Colon && run.how != Stop::FlowIndicator) return false;
            text = std::string_view(p, static_cast<std::size_t>(run.content_end - p));
            after = run.stop;
        }
        if (after == end) return false;
        if (key) {
            if (*after != ':' || after + 1 == end || after[1] != ' ') return false;
            top.due = Due::Value;
            p = after + 1;
        } else {
            if (*after == ':') return false;  // a single pair, or a value right after a quote
            top.due = Due::Separator;
            p = after;
        }
        emit(EventKind::Scalar, number, text, style);
    }
}

}  // namespace plovarn::parser

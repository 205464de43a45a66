#include "builder/parse_str.h"

namespace plovarn::builder {

std::expected<std::vector<types::YamlNode>, std::string> parse_str(std::string_view text) {
    (void)text;
    return std::unexpected(std::string("YAML parse error: reader not available yet"));
}

}  // namespace plovarn::builder

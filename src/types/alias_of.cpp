// The shared box behind an alias node: its name and the node it named.

#include <optional>
#include <string>

#include "types/node.h"

namespace plovarn::types::detail {
namespace {

struct AliasBox : AliasOf {
    std::string name;
    std::optional<YamlNode> target;
};

const AliasBox* box(const AliasOf* a) { return static_cast<const AliasBox*>(a); }

}  // namespace

AliasOf* alias_of_new(std::string_view name, const YamlNode* target) {
    auto* a = new AliasBox;
    a->name = name;
    if (target) a->target.emplace(*target);
    return a;
}

void alias_of_delete(AliasOf* a) noexcept { delete static_cast<AliasBox*>(a); }

std::string_view alias_of_name(const AliasOf* a) noexcept { return box(a)->name; }

const YamlNode* alias_of_target(const AliasOf* a) noexcept { return box(a)->target ? &*box(a)->target : nullptr; }

}  // namespace plovarn::types::detail

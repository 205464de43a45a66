// The shared box behind an alias node: its name, the node it named, and the key
// that node was the text of.

#include <optional>
#include <string>

#include "types/node.h"

namespace plovarn::types::detail {
namespace {

struct AliasBox : AliasOf {
    std::string name;
    std::optional<YamlNode> target;
    std::optional<KeyText> key;
};

const AliasBox* box(const AliasOf* a) { return static_cast<const AliasBox*>(a); }

}  // namespace

AliasOf* alias_of_new(std::string_view name, const YamlNode* target, const KeyText* key) {
    auto* a = new AliasBox;
    a->name = name;
    if (target) a->target.emplace(*target);
    if (key) a->key.emplace(*key);
    return a;
}

void alias_of_delete(AliasOf* a) noexcept { delete static_cast<AliasBox*>(a); }

std::string_view alias_of_name(const AliasOf* a) noexcept { return box(a)->name; }

const YamlNode* alias_of_target(const AliasOf* a) noexcept { return box(a)->target ? &*box(a)->target : nullptr; }

const KeyText* alias_of_key(const AliasOf* a) noexcept { return box(a)->key ? &*box(a)->key : nullptr; }

}  // namespace plovarn::types::detail

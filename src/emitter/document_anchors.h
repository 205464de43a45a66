#pragma once

// Anchors, tags and aliases written back in front of the nodes that carry them.
// An alias is written as such only after its anchor, in front of the node it
// named. Where the program removed or moved that node, or put the name on another
// one, the alias stands in its place as the node it named when read, anchor
// included, so that other readers read there what they read before and the
// aliases after it refer to it; for a key, that is the key's text as a scalar,
// which then counts as the key: the key does not carry the name again. An alias
// that named no node the reader could copy (the node that holds the alias) is
// written as its value, null, where its name was not written. Either way the
// output always reads back.
// A name carried again by a copy of the node that wrote it is not written again
// (the aliases after it read the same either way). Carried by another node (the
// text read defined it again, or the program stored a value of another document
// that uses it), it is written in a variant no other anchor of the document has
// (`x-2`), and so are the aliases after it that refer to that node: some readers
// refuse a document that defines a name twice.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "types/node.h"

namespace plovarn::emitter {

class DocumentAnchors {
public:
    bool written(std::string_view name) const { return owners_.contains(std::string(name)); }
    // How a written name is spelled in the output: itself, or its variant.
    std::string_view spelling(std::string_view name) const { return owners_.at(std::string(name)).spelling; }
    // Whether add(name, owner) would write the name: not yet written, or written
    // in front of another node.
    bool would_add(std::string_view name, const types::NodeProps* owner) const {
        auto at = owners_.find(std::string(name));
        return at == owners_.end() || at->second.owner != as_key(owner);
    }
    // What to write where `node` stands: for an alias whose name was not written
    // in front of the node it named when read (or a copy of it) last, that node;
    // else `node` itself.
    const types::YamlNode& stand_in(const types::YamlNode& node) {
        if (!node.is_null()) return node;
        const types::YamlNode* named = node.alias_target();
        if (!named) return node;
        const types::KeyText* key = node.alias_key();
        if (!would_add(node.alias_name(), key ? key->props() : types::props_of(*named))) return node;
        if (key) key_texts_.try_emplace(types::props_of(*named), key->props());
        return *named;
    }
    // Records `name` as carried by the node whose anchor and tag are `owner`;
    // false when the name stands already in front of that node or a copy of it.
    bool add(std::string_view name, const types::NodeProps* owner);

private:
    // The key whose text as a scalar has these props, or `owner` itself.
    const types::NodeProps* as_key(const types::NodeProps* owner) const {
        if (key_texts_.empty()) return owner;
        auto at = key_texts_.find(owner);
        return at == key_texts_.end() ? owner : at->second;
    }

    struct Owner {
        const types::NodeProps* owner;
        std::string spelling;
    };
    // Copies of a node share its anchor and tag, so their address tells them.
    std::unordered_map<std::string, Owner> owners_;
    // Every spelling written in front of a node of the document, and the number
    // of the next variant of each name to try.
    std::unordered_set<std::string> spellings_;
    std::unordered_map<std::string, std::size_t> next_variant_;
    // The scalars written for aliases of a key's anchor, and the keys' own props.
    std::unordered_map<const types::NodeProps*, const types::NodeProps*> key_texts_;
};

// Appends "&name !tag" (either may be missing) for the node, nothing when it has
// neither; returns whether anything was appended.
bool append_props(std::string& out, const types::NodeProps* props, DocumentAnchors& anchors);
inline bool append_props(std::string& out, const types::YamlNode& node, DocumentAnchors& anchors) {
    return append_props(out, types::props_of(node), anchors);
}

// An alias node as "*name" where its anchor stands before it, else "null".
void append_alias(std::string& out, const types::YamlNode& node, const DocumentAnchors& anchors);

}  // namespace plovarn::emitter

#pragma once

// The writer's walk over one node, shared by the entry points: anchors written so
// far in the document travel along, so that aliases find them.

#include <cstddef>
#include <string>

#include "emitter/document_anchors.h"
#include "types/node.h"

namespace plovarn::emitter {

void write_node(const types::YamlNode& node, std::size_t indent, std::string& out, DocumentAnchors& anchors);

}  // namespace plovarn::emitter

#pragma once

#include <ostream>
#include <vector>

#include "referenceKeys.hpp"

// Write the key reference: one table per key group, a row per key, a column
// per modifier state, each cell the codes the tool shows for that key.

// The Markdown document docs/keys.md.
void writeMarkdown(std::ostream& stream, const std::vector<KeyGroup>& groups);

// The tbl tables of the manual page's KEYS section.
void writeRoff(std::ostream& stream, const std::vector<KeyGroup>& groups);

// What quillmark-text prints: the fields for a person at a terminal, or as
// one JSON object for a script.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "field_layout.h"

// The strip: per output record the descriptor texts over the samples they
// print and a column ruler; then one line per field with its index.
void WritePlain(std::ostream& out, const CDescriptorList& list);

// Extra members of the JSON object, already rendered as JSON ("name": value).
using JsonMembers = std::vector<std::string>;

void WriteJson(std::ostream& out, const CDescriptorList& list, const std::vector<std::string>& messages,
               const JsonMembers& extra = {});

// A JSON string literal: quotes, escapes, and every byte above 127 written
// as the code point of the same value, so the bytes come back exactly.
std::string JsonString(const std::string& text);

// What quillmark-text prints: the fields for a person at a terminal, or as
// one JSON object for a script.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "descriptor_list.h"
#include "field_layout.h"

// The strip: per output record the descriptor texts over the samples they
// print and a column ruler; then one line per field with its index.
void WritePlain(std::ostream& out, const CDescriptorList& list);

// A JSON document, its members in the order they were put in.
using JsonValue = nlohmann::ordered_json;

// A text as a JSON string: each byte one character, a byte above 127 the
// code point of the same value, so that the bytes come back exactly.
JsonValue JsonText(const std::string& text);

// The fields, whether the parentheses balance, and the messages' texts.
JsonValue FieldsJson(const CDescriptorList& list, const std::vector<std::string>& messages);

// A document on one line, ", " between items and ": " after a name.
std::string JsonLine(const JsonValue& value);

// The fields' document: each member on a line of its own, and each field.
void WriteJson(std::ostream& out, const JsonValue& document);

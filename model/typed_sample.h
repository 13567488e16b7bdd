// The samples a format's fields show for the items the I/O statement in
// view gives them, where an item's type lays a field out otherwise than its
// default sample: an integer under G is laid out as under I of G's width, a
// logical under G or L as under L, a character item of known length under A
// or G as under A with that length. A real item, a type not known, one the
// run time refuses or transfers as bytes, and a field with a value of its
// own keep their samples.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "descriptor_parser.h"
#include "item_matching.h"
#include "number_modes.h"

class CDescriptorList;

// The sample one pass of the parsed data edit shows for one item of the
// type, with the modes in force; false where the type lays it out as the
// edit's own default sample does (or the rule knows no better).
bool TypedPassSample(const SParsedDescriptor& parsed, const SItemType& item, const SNumberModes& modes,
                     std::string& sample);

// The types of the elements each of nFields fields edits in the first
// record it edits, in order.
std::vector<std::vector<SItemType>> FirstRecordTypes(const SItemMatch& match, const std::vector<SIoItem>& items,
                                                     std::size_t nFields);

// Each field's sample for those elements, in the form of its repeated
// sample: a data edit's one sample for each element of its first pass
// through its repeat count, a repeated group's ")" the group's later passes
// from its fields' elements, each as far as the elements go (a nested
// group's fields as they show in its first pass), a Tn the blanks up to
// column n from where those samples end. None for a field whose
// sample the types leave as it is. Linear in the fields and elements.
std::vector<std::optional<std::string>> TypedSamples(const CDescriptorList& list,
                                                     const std::vector<std::vector<SItemType>>& types);

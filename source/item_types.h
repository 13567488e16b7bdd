// The items of an I/O list with their types and element counts, as the
// declarations of the statement's scoping unit give them: a whole array is
// its elements, an implied-DO list its trip count times its items, an
// expression the type the usual promotion gives its operands, the common
// intrinsics their result type. What cannot be known is UNKNOWN (a count
// -1), never guessed.
#pragma once

#include <string_view>
#include <vector>

#include "declarations.h"
#include "io_items.h"
#include "item_matching.h"

std::vector<SIoItem> TypeItems(const std::vector<SIoListItem>& items, std::string_view text,
                               const CDeclarations& declarations);

// A field in words, as the window's status line, its tooltips and screen
// readers say it and as quillmark-text can print it: what the descriptor
// means, the output columns it prints in, and, for a field that does not
// evaluate, why not (in the words of the code that refused it).
#pragma once

#include <cstddef>
#include <string>

#include "descriptor_list.h"
#include "field_layout.h"
#include "result.h"

// The output columns of a field, counted from 1 in each record: "columns 12
// to 22", "column 5", "no columns"; after a record break "record 2,
// columns 1 to 4".
std::string ColumnsText(const SFieldPlace& place);

// What a valid descriptor means, without its text or columns: "real,
// 11 wide, 3 decimals", "skip 4 columns", "group repeated 3 times".
std::string MeaningText(const CDescriptor& d);

// Why a field's last evaluation failed, prefixed by what was typed:
// "K7: no descriptor starts with K", "\"12a\": no descriptor like I5 prints
// this sample". Empty for a field that evaluated.
std::string RefusalText(const CDescriptor& d);

// Why New Field refused text (result, as InsertField returned it), in the
// status line's words: the reason the text does not read as a descriptor
// ("F7.: F is written F or Fw.d"), else the refusal's own message (an empty
// group). Empty when the result is a success.
std::string InsertRefusalText(const CDescriptorTable& table, const std::string& strText, const CResult& result);

// The status line of a field: "F11.3: real, 11 wide, 3 decimals, columns 12
// to 22" (a field that prints nothing leaves the columns out), or for a
// field that does not evaluate, its RefusalText. The first form takes the
// place LayOutFields gave the field; the second lays out the fields up to
// it (linear in index), with the widths of the samples the fields show
// instead of their own where there are any.
std::string DescribeField(const CDescriptor& d, const SFieldPlace& place);
std::string DescribeField(const CDescriptorList& list, int index, const std::vector<long long>& widths = {});

// A typed text or sample taken back on leaving its field:
// "I5: \"I5x\" was taken back", strGood the text the field went back to.
std::string TakenBackText(const std::string& strGood, const std::string& strTyped);

// The note of a text cut to what a field holds: how much was kept and how
// much left out.
std::string TextCutText(std::size_t nKept, std::size_t nLeftOut);

// Rendering: the sample one pass of a descriptor that prints shows, its
// default built from its widths or its value laid out as it would print,
// from plain inputs. The descriptor calls it; it knows nothing of
// descriptors, their neighbours or their list.
#pragma once

#include <string>

#include "descriptor_parser.h"
#include "number_modes.h"
#include "result.h"

struct SRealReading;

struct SSampleInput {
    const SParsedDescriptor& parsed;  // a kind that prints (not T, ")" or a mode)
    const std::string& value;         // empty: the default sample
    const SNumberModes& modes;        // the modes in force
    bool bExtended;                   // the table in force knows the later forms (I0, F0.d, G0 ...)
    bool bExact;                      // what gfortran prints, where the exact samples show it
    SRealReading* pReading;           // the field's reading of its value, for the exact samples (may be nullptr)
};

// Writes the sample; 0 when its numbers are impossible, with why in *pWhy
// when it is given. Whether a descriptor is valid never depends on the
// value: a value it cannot print shows as asterisks.
int RenderSample(const SSampleInput& in, std::string& sample, SMessage* pWhy);

// The largest width, digit count or position a table takes: the strict
// table's three digits, or what an int holds.
long long MaxFieldNumber(bool bExtended);

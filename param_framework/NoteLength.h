// Note lengths as a musician reads them: "1/4" is a quarter note, "3/16" a dotted eighth, "1/12"
// an eighth-note triplet, "2" two whole notes.
#pragma once

#include <string_view>

#include "param_framework/ConvertFormat.h"

namespace VDSP {

// The length 2^beatsLog2 beats (quarter notes): 0 is "1/4", -1 "1/8", 2 "1". A length that is a
// whole number of notes of a plain or triplet denominator up to 1/1024 prints as the reduced
// fraction n/d ("3/8" rather than "1/4 dotted": one form for every length, and it reads back);
// any other as a decimal number of whole notes (8 or 2 decimals). // any thread
void FormatNoteLength(WorkText& text, double beatsLog2, bool longForm);

// A typed length in whole notes: a fraction "a/b" or a decimal number, "note" optional (any
// case). Answers the number read, 0 when there is none. // any thread
double ReadNoteLength(std::string_view text);

}  // namespace VDSP

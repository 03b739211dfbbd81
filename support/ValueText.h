// The text form of stored numbers and switches shared by XML documents and preferences:
// integers "%d", 64-bit integers "%lld", floats "%.16g", booleans "true"/"false". Independent of
// the C locale, so that a host that switches to a decimal comma still reads and writes "0.5".
// Also the names of MIDI notes, with the process-wide octave numbering.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace VFoundation {

std::string FormatInt(int64_t value);
// "%.16g" (precision 16); "%.9g" with precision 9 for floats.
std::string FormatDouble(double value, int precision = 16);
inline const char* FormatBool(bool value) {
  return value ? "true" : "false";
}

// Each answers false and leaves `out` untouched for missing, malformed or out-of-range text.
// Surrounding white space and a leading '+' are accepted.
bool ParseInt32(std::string_view text, int32_t& out);
bool ParseInt64(std::string_view text, int64_t& out);
// Finite values only: an "inf" or "nan" in a document would wedge whatever reads it.
bool ParseDouble(std::string_view text, double& out);
// "true", "yes", "on" (any case) and non-zero integers read as true; "false", "no", "off" and 0
// as false.
bool ParseBool(std::string_view text, bool& out);

// The note-name numbering mode that the "MIDINumbering" preference picks, one for the process:
// 1 (the default) counts octaves as most hosts do, middle C (note 60) is "C3" and note 0 "C-2";
// 0 uses scientific pitch notation, note 60 is "C4" and note 0 "C-1". Any value but 0 selects
// mode 1. // any thread
void SetNoteNumberingBase(int base);
int NoteNumberingBase();  // any thread
// A MIDI note number as its name with sharps and the octave in the current numbering: "C3",
// "C#3", ..., "G8" for notes 60, 61 and 127 in mode 1. // any thread (allocates)
std::string FormatNoteName(int note);

}  // namespace VFoundation

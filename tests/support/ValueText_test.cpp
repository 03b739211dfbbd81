// Note names in both octave numberings that the "MIDINumbering" preference selects.
#include "support/ValueText.h"

#include <gtest/gtest.h>

#include <limits>

namespace VFoundation {
namespace {

// Leaves the process-wide numbering as it found it, whatever the test does.
class NoteNamesTest : public testing::Test {
 protected:
  void TearDown() override { SetNoteNumberingBase(saved_); }

 private:
  int saved_ = NoteNumberingBase();
};

TEST_F(NoteNamesTest, HostNumberingIsTheDefault) {
  EXPECT_EQ(NoteNumberingBase(), 1);
  EXPECT_EQ(FormatNoteName(60), "C3");
}

TEST_F(NoteNamesTest, EachModeNumbersTheOctavesItsOwnWay) {
  struct Case {
    int base;
    int note;
    const char* name;
  };
  const Case cases[] = {
      {1, 60, "C3"},  {1, 61, "C#3"}, {1, 69, "A3"},  {1, 59, "B2"},  {1, 0, "C-2"},
      {1, 11, "B-2"}, {1, 12, "C-1"}, {1, 24, "C0"},  {1, 127, "G8"}, {1, -1, "B-3"},
      {0, 60, "C4"},  {0, 61, "C#4"}, {0, 69, "A4"},  {0, 59, "B3"},  {0, 0, "C-1"},
      {0, 11, "B-1"}, {0, 12, "C0"},  {0, 127, "G9"}, {0, -1, "B-2"}, {0, -12, "C-2"},
  };
  for (const Case& c : cases) {
    SetNoteNumberingBase(c.base);
    EXPECT_EQ(FormatNoteName(c.note), c.name) << "mode " << c.base << ", note " << c.note;
  }
}

TEST_F(NoteNamesTest, EveryPitchClassOfAnOctaveHasItsName) {
  SetNoteNumberingBase(0);
  const char* names[] = {"C4",  "C#4", "D4",  "D#4", "E4",  "F4",
                         "F#4", "G4",  "G#4", "A4",  "A#4", "B4"};
  for (int step = 0; step < 12; ++step) EXPECT_EQ(FormatNoteName(60 + step), names[step]);
}

TEST_F(NoteNamesTest, AnyModeButZeroIsModeOne) {
  for (const int base : {1, 2, -1, 1000}) {
    SetNoteNumberingBase(base);
    EXPECT_EQ(NoteNumberingBase(), 1) << base;
    EXPECT_EQ(FormatNoteName(60), "C3") << base;
  }
  SetNoteNumberingBase(0);
  EXPECT_EQ(NoteNumberingBase(), 0);
}

TEST_F(NoteNamesTest, ExtremeNumbersStillGetAName) {
  SetNoteNumberingBase(0);
  EXPECT_EQ(FormatNoteName(std::numeric_limits<int>::max()), "G178956969");
  EXPECT_EQ(FormatNoteName(std::numeric_limits<int>::min()), "E-178956972");
}

}  // namespace
}  // namespace VFoundation

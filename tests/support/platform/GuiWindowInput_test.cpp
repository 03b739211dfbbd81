// The X11 window's server-free translations: keysyms, keyboard map rules, buttons, double clicks
// and the request strips.
#include "support/platform/linux/GuiWindowInput.h"

#include <gtest/gtest.h>

namespace VGui::Platform::X11 {
namespace {

TEST(KeyEventFromKeysym, NamedKeysAndCharacters) {
  struct Case {
    uint32_t keysym;
    Key key;
    const char* text;
  };
  const Case cases[] = {
      {0xff08, Key::kBackspace, ""},
      {0xffff, Key::kDelete, ""},
      {0xff9f, Key::kDelete, ""},
      {0xff0d, Key::kReturn, ""},
      {0xff8d, Key::kReturn, ""},
      {0xff1b, Key::kEscape, ""},
      {0xff09, Key::kTab, ""},
      {0xfe20, Key::kTab, ""},
      {0xff51, Key::kLeft, ""},
      {0xff53, Key::kRight, ""},
      {0xff52, Key::kUp, ""},
      {0xff54, Key::kDown, ""},
      {0xff50, Key::kHome, ""},
      {0xff57, Key::kEnd, ""},
      {0xff55, Key::kPageUp, ""},
      {0xff56, Key::kPageDown, ""},
      {0xff96, Key::kLeft, ""},
      {'a', Key::kCharacter, "a"},
      {'Z', Key::kCharacter, "Z"},
      {' ', Key::kCharacter, " "},
      {0xe9, Key::kCharacter, "\xc3\xa9"},
      {0xffb7, Key::kCharacter, "7"},
      {0xffae, Key::kCharacter, "."},
      {0x010020ac, Key::kCharacter, "\xe2\x82\xac"},  // the euro sign as a Unicode keysym
      {0xffe1, Key::kNone, ""},                       // Shift_L
      {0xffbe, Key::kNone, ""},                       // F1
      {0, Key::kNone, ""},
  };
  for (const Case& c : cases) {
    const KeyEvent event = KeyEventFromKeysym(c.keysym, kModControl);
    EXPECT_EQ(event.key, c.key) << std::hex << c.keysym;
    EXPECT_EQ(event.text, c.text) << std::hex << c.keysym;
    EXPECT_EQ(event.modifiers, uint32_t(kModControl));
  }
}

TEST(Utf8FromCodePoint, EncodesEachLength) {
  EXPECT_EQ(Utf8FromCodePoint(0x41), "A");
  EXPECT_EQ(Utf8FromCodePoint(0xe9), "\xc3\xa9");
  EXPECT_EQ(Utf8FromCodePoint(0x20ac), "\xe2\x82\xac");
  EXPECT_EQ(Utf8FromCodePoint(0x1f3b9), "\xf0\x9f\x8e\xb9");
  EXPECT_EQ(Utf8FromCodePoint(0x110000), "");
}

TEST(ModifiersFromState, ShiftControlAndAlt) {
  EXPECT_EQ(ModifiersFromState(0), 0u);
  EXPECT_EQ(ModifiersFromState(kStateShift), uint32_t(kModShift));
  EXPECT_EQ(ModifiersFromState(kStateControl | kStateMod1), uint32_t(kModControl | kModAlt));
  // Num Lock, Caps Lock and held buttons are no modifiers.
  EXPECT_EQ(ModifiersFromState(kStateMod2 | kStateLock | kStateButton1), 0u);
}

TEST(Buttons, DetailsAndHeldState) {
  EXPECT_EQ(ButtonFromDetail(1), MouseButton::kLeft);
  EXPECT_EQ(ButtonFromDetail(2), MouseButton::kMiddle);
  EXPECT_EQ(ButtonFromDetail(3), MouseButton::kRight);
  EXPECT_EQ(ButtonFromDetail(4), MouseButton::kNone);
  EXPECT_EQ(WheelNotchesFromDetail(4), 1.0f);
  EXPECT_EQ(WheelNotchesFromDetail(5), -1.0f);
  EXPECT_EQ(WheelNotchesFromDetail(1), 0.0f);
  EXPECT_EQ(HeldButtonFromState(kStateButton3 | kStateButton1), MouseButton::kLeft);
  EXPECT_EQ(HeldButtonFromState(kStateButton3), MouseButton::kRight);
  EXPECT_EQ(HeldButtonFromState(kStateButton2), MouseButton::kMiddle);
  EXPECT_EQ(HeldButtonFromState(kStateShift), MouseButton::kNone);
}

// A keymap of the usual shape: 7 keysyms per keycode from keycode 8.
KeyboardMap TestKeyboard() {
  constexpr int kPer = 7;
  std::vector<uint32_t> keysyms(size_t(kPer) * 4, 0);
  auto set = [&](int keycode, std::initializer_list<uint32_t> columns) {
    int column = 0;
    for (uint32_t keysym : columns) keysyms[size_t(keycode - 8) * kPer + size_t(column++)] = keysym;
  };
  set(8, {'a', 'A'});
  set(9, {'q', 'Q', 'q', 'Q', '@', 0xd9});  // AltGr gives '@'
  set(10, {0xff9c, 0xffb1});                // KP_End / KP_1
  set(11, {'1', '!'});
  KeyboardMap map;
  map.Assign(8, kPer, keysyms);
  return map;
}

TEST(KeyboardMap, ChoosesTheKeysymOfTheState) {
  const KeyboardMap map = TestKeyboard();
  struct Case {
    uint8_t keycode;
    uint16_t state;
    uint32_t keysym;
  };
  const Case cases[] = {
      {8, 0, 'a'},
      {8, kStateShift, 'A'},
      {8, kStateLock, 'A'},
      {11, kStateLock, '1'},  // Caps Lock leaves digits alone
      {11, kStateShift, '!'},
      {9, kStateMod5, '@'},
      {9, kStateMod5 | kStateShift, 0xd9},
      {8, kStateMod5, 'a'},  // no AltGr column: the plain one
      {10, 0, 0xff9c},
      {10, kStateMod2, 0xffb1},
      {10, kStateMod2 | kStateShift, 0xff9c},
      {12, 0, 0},  // past the table
      {7, 0, 0},   // below the first keycode
  };
  for (const Case& c : cases) {
    EXPECT_EQ(map.Keysym(c.keycode, c.state), c.keysym)
        << "keycode " << int(c.keycode) << " state " << c.state;
  }
  EXPECT_EQ(map.KeycodeOf('q'), 9);
  EXPECT_EQ(map.KeycodeOf('!'), 0);
}

TEST(KeyboardMap, SingleKeysymStandsForBothCases) {
  KeyboardMap map;
  map.Assign(8, 2, {'b', 0, 0xe0, 0});
  EXPECT_EQ(map.Keysym(8, 0), uint32_t('b'));
  EXPECT_EQ(map.Keysym(8, kStateShift), uint32_t('B'));
  EXPECT_EQ(map.Keysym(9, kStateShift), 0xc0u);
}

TEST(DoubleClickDetector, SecondPressNearAndSoon) {
  struct Press {
    MouseButton button;
    Point position;
    uint32_t timeMs;
    int expected;
  };
  const Press presses[] = {
      {MouseButton::kLeft, {100, 100}, 1000, 1},
      {MouseButton::kLeft, {102, 97}, 1300, 2},   // near and soon
      {MouseButton::kLeft, {102, 97}, 1400, 1},   // a third press starts again
      {MouseButton::kLeft, {102, 97}, 1801, 1},   // 401 ms later: too slow
      {MouseButton::kLeft, {107, 97}, 1900, 1},   // 5 pixels away
      {MouseButton::kRight, {107, 97}, 2000, 1},  // another button
      {MouseButton::kRight, {107, 97}, 2400, 2},  // exactly the double-click time
      {MouseButton::kLeft, {0, 0}, 0xfffffff0u, 1},
      {MouseButton::kLeft, {0, 0}, 0x00000010u, 2},  // across the server clock's wrap
  };
  DoubleClickDetector detector;
  for (const Press& p : presses) {
    EXPECT_EQ(detector.Press(p.button, p.position, p.timeMs), p.expected) << p.timeMs;
  }
}

TEST(SplitIntoStrips, EachRequestFitsAndTheAreaIsCoveredOnce) {
  struct Case {
    Rect area;
    size_t maxBytes;
    size_t expectedStrips;
  };
  const Case cases[] = {
      {{0, 0, 962, 438}, 16u << 20, 1},  // BIG-REQUESTS: one request
      {{0, 0, 962, 438}, 262140, 7},     // the core limit: 68 rows a strip
      {{10, 20, 30, 40}, 262140, 1},
      {{0, 0, 1000, 3}, 32 + 4 * 600, 6},  // a row does not fit: tiles of 600 and 400
      {{5, 5, 0, 10}, 262140, 0},
      {{0, 0, 10, 10}, 32, 0},  // not one pixel fits
  };
  for (const Case& c : cases) {
    const auto strips = SplitIntoStrips(c.area, c.maxBytes, 32);
    EXPECT_EQ(strips.size(), c.expectedStrips);
    std::vector<int> covered(size_t(c.area.width) * size_t(std::max(c.area.height, 0)), 0);
    for (const Rect& s : strips) {
      EXPECT_LE(32 + size_t(s.width) * size_t(s.height) * 4, c.maxBytes);
      ASSERT_TRUE(c.area.Contains(s));
      for (int y = s.y; y < s.Bottom(); ++y) {
        for (int x = s.x; x < s.Right(); ++x) {
          ++covered[size_t(y - c.area.y) * size_t(c.area.width) + size_t(x - c.area.x)];
        }
      }
    }
    if (!strips.empty()) {
      for (int count : covered) ASSERT_EQ(count, 1);
    }
  }
}

}  // namespace
}  // namespace VGui::Platform::X11

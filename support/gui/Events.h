// Input and notification events of the toolkit. Positions are logical pixels relative to the
// control that receives the event.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "support/gui/Geometry.h"

namespace VGui {

class Ctrl;

enum class MouseButton { kNone, kLeft, kRight, kMiddle };

// Modifier keys held during an event. On Windows and Linux alike: Shift for fine adjustment,
// Ctrl (Cmd has no meaning here) as the second modifier, Alt as the third.
enum Modifier : uint32_t {
  kModShift = 1u << 0,
  kModControl = 1u << 1,
  kModAlt = 1u << 2,
};

struct MouseEvent {
  Point position;
  MouseButton button = MouseButton::kNone;
  uint32_t modifiers = 0;
  int clickCount = 1;       // 2 for the second press of a double click
  float wheelDelta = 0.0f;  // notches, positive away from the user
};

// Keys the toolkit understands by name; text arrives as UTF-8 in `text`.
enum class Key {
  kNone,
  kCharacter,
  kBackspace,
  kDelete,
  kReturn,
  kEscape,
  kTab,
  kLeft,
  kRight,
  kUp,
  kDown,
  kHome,
  kEnd,
  kPageUp,
  kPageDown
};

struct KeyEvent {
  Key key = Key::kNone;
  std::string text;  // for kCharacter
  uint32_t modifiers = 0;
};

// What a control reports to its listener. The numbers are fixed: listeners and logs use them.
enum class ControlEventKind : int {
  kLeftButtonDown = 0,
  kLeftButtonUp = 1,
  kDoubleClick = 2,
  kRightButtonDown = 3,
  kRightButtonUp = 4,
  kValueChanged = 5,
  kEditEnded = 6,
  kPressFlash = 7,    // a modulation-aware control asks for the sources that modulate it
  kBeginGesture = 8,  // a mouse edit starts: the host's begin-edit
  kEndGesture = 9,    // a mouse edit ends: the host's end-edit
};

// Sent by menus and command sources: a command id, an argument and the control it concerns.
struct CommandEvent {
  int32_t id = 0;
  std::variant<std::monostate, int32_t, float, std::string> argument;
  Ctrl* control = nullptr;

  int32_t IntArgument(int32_t fallback = 0) const {
    if (auto* v = std::get_if<int32_t>(&argument)) return *v;
    return fallback;
  }
};

class ICtrlListener {
 public:
  virtual ~ICtrlListener() = default;
  // GUI thread
  virtual void ControlEvent(Ctrl& control, ControlEventKind kind) = 0;
};

class ICmdListener {
 public:
  virtual ~ICmdListener() = default;
  // A null event is a caller's fault that the listener logs and ignores. GUI thread
  virtual void CommandEvent(const VGui::CommandEvent* event) = 0;
};

// Joins the root's one 40 ms timer. GUI thread
class CAutoTimerCallback {
 public:
  virtual ~CAutoTimerCallback() = default;
  virtual void ATC_Tick() = 0;
};

}  // namespace VGui

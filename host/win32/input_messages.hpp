// Window messages of the keyboard and the mouse as the form's input events.
#pragma once

#include <windows.h>

#include <optional>

#include "host/platform.hpp"

namespace host::win32 {

// The held modifier keys as the form counts them: 1 shift, 2 control, 4 alt.
struct Modifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// The event a message stands for, or nothing for any other message. Pointer positions are the
// message's client pixels converted to twips at the window's pixels to the inch.
std::optional<InputEvent> InputFromMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           Modifiers held, int dpi);

}  // namespace host::win32

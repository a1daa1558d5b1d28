// X input events as the form's input: positions in twips, keys as key codes and characters.
#pragma once

#include <vector>

#include "host/platform.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

// What one X event means to the form (nothing for events that are not input). A key press is
// KeyDown, then KeyPress when it types a character. Positions become twips at the resolution of
// the view the event happened in.
std::vector<InputEvent> TranslateInput(XEvent& event, int dpi = drawing::kStandardDpi);

}  // namespace host::x11

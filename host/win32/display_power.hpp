// The display's power as Windows announces it: a window registered for the display-state
// notifications receives WM_POWERBROADCAST (PBT_POWERSETTINGCHANGE) when the display goes off,
// comes on or dims.
#pragma once

#include <windows.h>

#include <optional>

namespace host::win32 {

// Registers the window for the session's display state, or the console's where Windows has no
// session notification (before Windows 8). Null when neither could be registered.
HPOWERNOTIFY RegisterDisplayPowerNotification(HWND window);

// Whether a power broadcast says the display is on (dimmed counts as on: it can be seen) or
// off; nothing when the message is about anything else.
std::optional<bool> DisplayOnFromBroadcast(WPARAM wParam, LPARAM lParam);

}  // namespace host::win32

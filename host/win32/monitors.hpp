// The monitors Windows knows now, and which cover window goes to which of them.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "host/drawing/pixel_geometry.hpp"

namespace host::win32 {

struct Monitor {
  std::wstring device;      // the display device's name: stays while the monitor is attached
  drawing::PixelRect area;  // in virtual-screen pixels
  int dpi = USER_DEFAULT_SCREEN_DPI;
  bool primary = false;
  bool operator==(const Monitor&) const = default;
};

// Every attached monitor, the primary one first; one monitor covering the primary screen when
// Windows lists none.
std::vector<Monitor> AttachedMonitors();

// Where the cover windows go when the monitors are `monitors` (the primary one first): the form's
// window always to the first. The other windows (each last on the device in `coverDevices`) keep
// their monitor while it is attached, then take the monitors left over in order.
struct CoverPlan {
  std::vector<int> monitorOfCover;  // per other window: its monitor's index, -1 when it goes
  std::vector<int> newCovers;       // monitors that need a new window, in order
};
CoverPlan PlanCovers(std::span<const std::wstring> coverDevices, std::span<const Monitor> monitors);

}  // namespace host::win32

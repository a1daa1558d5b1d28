// The window manager's style bits, window-record indexes and placement flags: the one place they
// are declared, for the program and for the platforms that keep such records themselves. The
// names differ from the window manager's own header, which defines those as macros.
#pragma once

#include "host/basic_types.hpp"

namespace host::wm {

inline constexpr int kGwlStyle = -16;
inline constexpr int kGwlHwndParent = -8;

inline constexpr Long kWsPopup = static_cast<Long>(0x80000000u);
inline constexpr Long kWsChild = 0x40000000;
inline constexpr Long kWsVisible = 0x10000000;
inline constexpr Long kWsMaximize = 0x01000000;
inline constexpr Long kWsClipSiblings = 0x04000000;
inline constexpr Long kWsClipChildren = 0x02000000;
inline constexpr Long kWsOverlappedWindow = 0x00CF0000;
// A borderless top-level window, as the cover window is created.
inline constexpr Long kPopupStyle = kWsPopup | kWsClipSiblings | kWsClipChildren;

inline constexpr UInt kSwpNoSize = 0x0001;
inline constexpr UInt kSwpNoMove = 0x0002;
inline constexpr UInt kSwpNoZOrder = 0x0004;
inline constexpr UInt kSwpNoActivate = 0x0010;
inline constexpr UInt kSwpShowWindow = 0x0040;
inline constexpr UInt kSwpHideWindow = 0x0080;

}  // namespace host::wm

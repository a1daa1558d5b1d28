#include "host/win32/input_messages.hpp"

#include <windowsx.h>

#include "host/drawing/pixel_geometry.hpp"

namespace host::win32 {
namespace {

std::int16_t ShiftState(Modifiers held) {
  return static_cast<std::int16_t>((held.shift ? 1 : 0) | (held.control ? 2 : 0) |
                                   (held.alt ? 4 : 0));
}

InputEvent Pointer(InputKind kind, LPARAM lParam, std::int16_t button, Modifiers held, int dpi) {
  InputEvent e;
  e.kind = kind;
  e.hasPoint = true;
  // Signed: a captured pointer left of or above the window has negative coordinates.
  e.x = drawing::PixelsToTwips(GET_X_LPARAM(lParam), dpi);
  e.y = drawing::PixelsToTwips(GET_Y_LPARAM(lParam), dpi);
  e.button = button;
  e.shift = ShiftState(held);
  return e;
}

// The buttons held during a move, as the form numbers them: 1 left, 2 right, 4 middle.
std::int16_t HeldButtons(WPARAM wParam) {
  return static_cast<std::int16_t>(((wParam & MK_LBUTTON) ? 1 : 0) |
                                   ((wParam & MK_RBUTTON) ? 2 : 0) |
                                   ((wParam & MK_MBUTTON) ? 4 : 0));
}

}  // namespace

std::optional<InputEvent> InputFromMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           Modifiers held, int dpi) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      InputEvent e;
      e.kind = InputKind::kKeyDown;
      e.keyCode = static_cast<std::int16_t>(wParam & 0xFF);  // the virtual-key code
      e.shift = ShiftState(held);
      return e;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      InputEvent e;
      e.kind = InputKind::kKeyPress;
      e.keyCode = static_cast<std::int16_t>(static_cast<std::uint16_t>(wParam));
      return e;
    }
    case WM_LBUTTONDOWN:
      return Pointer(InputKind::kMouseDown, lParam, 1, held, dpi);
    case WM_RBUTTONDOWN:
      return Pointer(InputKind::kMouseDown, lParam, 2, held, dpi);
    case WM_MBUTTONDOWN:
      return Pointer(InputKind::kMouseDown, lParam, 4, held, dpi);
    case WM_LBUTTONUP:
      return Pointer(InputKind::kClick, lParam, 1, held, dpi);
    case WM_RBUTTONUP:
      return Pointer(InputKind::kClick, lParam, 2, held, dpi);
    case WM_MBUTTONUP:
      return Pointer(InputKind::kClick, lParam, 4, held, dpi);
    case WM_LBUTTONDBLCLK:
      return Pointer(InputKind::kDblClick, lParam, 1, held, dpi);
    case WM_RBUTTONDBLCLK:
      return Pointer(InputKind::kDblClick, lParam, 2, held, dpi);
    case WM_MBUTTONDBLCLK:
      return Pointer(InputKind::kDblClick, lParam, 4, held, dpi);
    case WM_MOUSEMOVE:
      return Pointer(InputKind::kMouseMove, lParam, HeldButtons(wParam), held, dpi);
    default:
      return std::nullopt;
  }
}

}  // namespace host::win32

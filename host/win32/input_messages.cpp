#include "host/win32/input_messages.hpp"

#include <windowsx.h>

namespace host::win32 {
namespace {

std::int16_t ShiftState(Modifiers held) {
  return static_cast<std::int16_t>((held.shift ? 1 : 0) | (held.control ? 2 : 0) |
                                   (held.alt ? 4 : 0));
}

InputEvent Pointer(InputKind kind, LPARAM lParam, std::int16_t button, Modifiers held,
                   float twipsPerPixel) {
  InputEvent e;
  e.kind = kind;
  e.hasPoint = true;
  // Signed: a captured pointer left of or above the window has negative coordinates.
  e.x = static_cast<float>(GET_X_LPARAM(lParam)) * twipsPerPixel;
  e.y = static_cast<float>(GET_Y_LPARAM(lParam)) * twipsPerPixel;
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
                                           Modifiers held, float twipsPerPixel) {
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
      return Pointer(InputKind::kMouseDown, lParam, 1, held, twipsPerPixel);
    case WM_RBUTTONDOWN:
      return Pointer(InputKind::kMouseDown, lParam, 2, held, twipsPerPixel);
    case WM_MBUTTONDOWN:
      return Pointer(InputKind::kMouseDown, lParam, 4, held, twipsPerPixel);
    case WM_LBUTTONUP:
      return Pointer(InputKind::kClick, lParam, 1, held, twipsPerPixel);
    case WM_RBUTTONUP:
      return Pointer(InputKind::kClick, lParam, 2, held, twipsPerPixel);
    case WM_MBUTTONUP:
      return Pointer(InputKind::kClick, lParam, 4, held, twipsPerPixel);
    case WM_LBUTTONDBLCLK:
      return Pointer(InputKind::kDblClick, lParam, 1, held, twipsPerPixel);
    case WM_RBUTTONDBLCLK:
      return Pointer(InputKind::kDblClick, lParam, 2, held, twipsPerPixel);
    case WM_MBUTTONDBLCLK:
      return Pointer(InputKind::kDblClick, lParam, 4, held, twipsPerPixel);
    case WM_MOUSEMOVE:
      return Pointer(InputKind::kMouseMove, lParam, HeldButtons(wParam), held, twipsPerPixel);
    default:
      return std::nullopt;
  }
}

}  // namespace host::win32

#include "host/x11/input_events.hpp"

#include "host/keysyms/key_codes.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {
namespace {

std::int16_t ShiftState(unsigned int state) {
  return static_cast<std::int16_t>(((state & ShiftMask) ? 1 : 0) | ((state & ControlMask) ? 2 : 0) |
                                   ((state & Mod1Mask) ? 4 : 0));
}

// X buttons 1, 2, 3 are left, middle, right; the form numbers them 1 left, 2 right, 4 middle.
std::int16_t ButtonOf(unsigned int button) {
  switch (button) {
    case Button1:
      return 1;
    case Button2:
      return 4;
    case Button3:
      return 2;
    default:
      return 0;
  }
}

InputEvent Pointer(InputKind kind, int x, int y, std::int16_t button, unsigned int state, int dpi) {
  InputEvent e;
  e.kind = kind;
  e.hasPoint = true;
  e.x = drawing::PixelsToTwips(x, dpi);
  e.y = drawing::PixelsToTwips(y, dpi);
  e.button = button;
  e.shift = ShiftState(state);
  return e;
}

}  // namespace

std::vector<InputEvent> TranslateInput(XEvent& event, int dpi) {
  std::vector<InputEvent> out;
  switch (event.type) {
    case KeyPress: {
      char text[8] = {};
      KeySym sym = NoSymbol;
      const int length = XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
      InputEvent down;
      down.kind = InputKind::kKeyDown;
      down.keyCode = keysyms::KeyCodeOf(static_cast<std::uint32_t>(sym));
      down.shift = ShiftState(event.xkey.state);
      out.push_back(down);
      if (length == 1) {
        InputEvent press;
        press.kind = InputKind::kKeyPress;
        press.keyCode = static_cast<std::int16_t>(static_cast<unsigned char>(text[0]));
        out.push_back(press);
      }
      break;
    }
    case ButtonPress:
      // Wheel steps (buttons 4 and up) are not presses of a button the form knows.
      if (ButtonOf(event.xbutton.button) != 0) {
        out.push_back(Pointer(InputKind::kMouseDown, event.xbutton.x, event.xbutton.y,
                              ButtonOf(event.xbutton.button), event.xbutton.state, dpi));
      }
      break;
    case ButtonRelease:
      if (ButtonOf(event.xbutton.button) != 0) {
        out.push_back(Pointer(InputKind::kClick, event.xbutton.x, event.xbutton.y,
                              ButtonOf(event.xbutton.button), event.xbutton.state, dpi));
      }
      break;
    case MotionNotify:
      out.push_back(Pointer(InputKind::kMouseMove, event.xmotion.x, event.xmotion.y, 0,
                            event.xmotion.state, dpi));
      break;
    default:
      break;
  }
  return out;
}

}  // namespace host::x11

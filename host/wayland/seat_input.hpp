// The seat's keyboard and pointer as the form's input: keys through xkbcommon to key codes and
// characters, buttons as presses and clicks, pointer positions in the logical pixels of the
// surface under it (the platform turns them into twips of that surface's view).
// The pointer shows no image over the saver's surfaces while it is hidden, and the keys pressed
// over them are tracked until released, so none ends up held over another client.
#pragma once

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <functional>
#include <set>

#include "host/platform.hpp"

namespace host::wayland {

class SeatInput {
 public:
  // Pointer events carry their surface; their x and y are its logical pixels.
  using Deliver = std::function<void(const InputEvent&, wl_surface*)>;

  SeatInput(wl_seat* seat, Deliver deliver);
  ~SeatInput();
  SeatInput(const SeatInput&) = delete;
  SeatInput& operator=(const SeatInput&) = delete;

  // While hidden, the pointer shows nothing over the saver's surfaces.
  void SetPointerHidden(bool hidden);
  // Keys pressed over the saver's surfaces and not yet released.
  bool KeysHeld() const { return !held_.empty(); }
  // Whether the keys go to one of the saver's surfaces (or there is no keyboard at all); the
  // callback hears of each change.
  bool HasKeyboardFocus() const { return keyboard_ == nullptr || keyboardIn_; }
  void OnKeyboardFocus(std::function<void()> changed) { keyboardFocus_ = std::move(changed); }

 private:
  static void Capabilities(void* data, wl_seat* seat, std::uint32_t caps);
  static void Name(void*, wl_seat*, const char*) {}
  static void Keymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size);
  static void KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys);
  static void KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*);
  static void Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                  std::uint32_t state);
  static void Modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                        std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
  static void RepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
  static void PointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface*, wl_fixed_t,
                           wl_fixed_t);
  static void PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*);
  static void Motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y);
  static void Button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                     std::uint32_t state);
  static void Axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
  static void Frame(void*, wl_pointer*) {}
  static void AxisSource(void*, wl_pointer*, std::uint32_t) {}
  static void AxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
  static void AxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
  void DropKeyboard();
  void DropPointer();
  std::int16_t ShiftState() const;
  InputEvent PointerEvent(InputKind kind, std::int16_t button) const;
  void ApplyCursor();

  wl_seat* seat_;
  Deliver deliver_;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  xkb_context* xkb_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
  std::set<std::uint32_t> held_;
  bool keyboardIn_ = false;
  std::function<void()> keyboardFocus_;
  bool pointerHidden_ = false;
  bool pointerInside_ = false;
  std::uint32_t enterSerial_ = 0;
  wl_surface* pointerSurface_ = nullptr;
  double x_ = 0;  // the pointer in the surface's logical pixels
  double y_ = 0;
};

}  // namespace host::wayland

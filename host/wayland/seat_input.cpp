#include "host/wayland/seat_input.hpp"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include "host/keysyms/key_codes.hpp"

namespace host::wayland {

SeatInput::SeatInput(wl_seat* seat, Deliver deliver)
    : seat_(seat), deliver_(std::move(deliver)), xkb_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
  static const wl_seat_listener listener{&Capabilities, &Name};
  wl_seat_add_listener(seat_, &listener, this);
}

SeatInput::~SeatInput() {
  if (keyboard_ != nullptr) DropKeyboard();
  if (pointer_ != nullptr) DropPointer();
  if (state_ != nullptr) xkb_state_unref(state_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  if (xkb_ != nullptr) xkb_context_unref(xkb_);
  wl_seat_destroy(seat_);
}

// A keyboard or pointer that goes away (a sleeping wireless keyboard, a replug, a switch) is
// released, and a new one fetched when it comes back: the old object would never speak again.
void SeatInput::Capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
  auto* self = static_cast<SeatInput*>(data);
  const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (!keyboard && self->keyboard_ != nullptr) self->DropKeyboard();
  if (!pointer && self->pointer_ != nullptr) self->DropPointer();
  if (keyboard && self->keyboard_ == nullptr) {
    static const wl_keyboard_listener listener{&Keymap, &KeyboardEnter, &KeyboardLeave,
                                               &Key,    &Modifiers,     &RepeatInfo};
    self->keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(self->keyboard_, &listener, self);
  }
  if (pointer && self->pointer_ == nullptr) {
    static const wl_pointer_listener listener{&PointerEnter, &PointerLeave, &Motion,     &Button,
                                              &Axis,         &Frame,        &AxisSource, &AxisStop,
                                              &AxisDiscrete, nullptr};  // bound at version 5: no
                                                                        // axis_value120
    self->pointer_ = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(self->pointer_, &listener, self);
  }
}

// Keys held on a keyboard that is gone are up as far as anyone will ever hear.
void SeatInput::DropKeyboard() {
  if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
    wl_keyboard_release(keyboard_);
  } else {
    wl_keyboard_destroy(keyboard_);
  }
  keyboard_ = nullptr;
  held_.clear();
  keyboardIn_ = false;
  if (keyboardFocus_) keyboardFocus_();
}

void SeatInput::DropPointer() {
  if (wl_pointer_get_version(pointer_) >= WL_POINTER_RELEASE_SINCE_VERSION) {
    wl_pointer_release(pointer_);
  } else {
    wl_pointer_destroy(pointer_);
  }
  pointer_ = nullptr;
  pointerInside_ = false;
  pointerSurface_ = nullptr;
}

void SeatInput::Keymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
  auto* self = static_cast<SeatInput*>(data);
  if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text != MAP_FAILED) {
      xkb_keymap* keymap =
          xkb_keymap_new_from_string(self->xkb_, static_cast<const char*>(text),
                                     XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
      munmap(text, size);
      if (keymap != nullptr) {
        if (self->state_ != nullptr) xkb_state_unref(self->state_);
        if (self->keymap_ != nullptr) xkb_keymap_unref(self->keymap_);
        self->keymap_ = keymap;
        self->state_ = xkb_state_new(keymap);
      }
    }
  }
  close(fd);
}

// Keys already down when the surface got the keyboard are held too: their releases come here.
void SeatInput::KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface*,
                              wl_array* keys) {
  auto* self = static_cast<SeatInput*>(data);
  const auto* key = static_cast<const std::uint32_t*>(keys->data);
  for (std::size_t i = 0; i < keys->size / sizeof *key; ++i) self->held_.insert(key[i]);
  self->keyboardIn_ = true;
  if (self->keyboardFocus_) self->keyboardFocus_();
}

void SeatInput::KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
  auto* self = static_cast<SeatInput*>(data);
  self->held_.clear();
  self->keyboardIn_ = false;
  if (self->keyboardFocus_) self->keyboardFocus_();
}

std::int16_t SeatInput::ShiftState() const {
  if (state_ == nullptr) return 0;
  auto active = [&](const char* name) {
    return xkb_state_mod_name_is_active(state_, name, XKB_STATE_MODS_EFFECTIVE) > 0;
  };
  return static_cast<std::int16_t>((active(XKB_MOD_NAME_SHIFT) ? 1 : 0) |
                                   (active(XKB_MOD_NAME_CTRL) ? 2 : 0) |
                                   (active(XKB_MOD_NAME_ALT) ? 4 : 0));
}

// A press is KeyDown, then KeyPress when it types a Latin-1 character.
void SeatInput::Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                    std::uint32_t state) {
  auto* self = static_cast<SeatInput*>(data);
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
    self->held_.erase(key);
    return;
  }
  self->held_.insert(key);
  if (self->state_ == nullptr) return;
  const xkb_keycode_t code = key + 8;  // evdev numbers to XKB's
  InputEvent down;
  down.kind = InputKind::kKeyDown;
  down.keyCode = keysyms::KeyCodeOf(xkb_state_key_get_one_sym(self->state_, code));
  down.shift = self->ShiftState();
  const std::uint32_t character = xkb_state_key_get_utf32(self->state_, code);
  self->deliver_(down, nullptr);
  if (character > 0 && character < 256) {
    InputEvent press;
    press.kind = InputKind::kKeyPress;
    press.keyCode = static_cast<std::int16_t>(character);
    self->deliver_(press, nullptr);
  }
}

void SeatInput::Modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                          std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
  auto* self = static_cast<SeatInput*>(data);
  if (self->state_ != nullptr) {
    xkb_state_update_mask(self->state_, depressed, latched, locked, 0, 0, group);
  }
}

// Entering is no movement of the pointer: a surface mapped under a still pointer gets it too.
void SeatInput::PointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface,
                             wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<SeatInput*>(data);
  self->pointerInside_ = true;
  self->pointerSurface_ = surface;
  self->enterSerial_ = serial;
  self->x_ = wl_fixed_to_double(x);
  self->y_ = wl_fixed_to_double(y);
  self->ApplyCursor();
}

void SeatInput::PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  auto* self = static_cast<SeatInput*>(data);
  self->pointerInside_ = false;
  self->pointerSurface_ = nullptr;
}

InputEvent SeatInput::PointerEvent(InputKind kind, std::int16_t button) const {
  InputEvent e;
  e.kind = kind;
  e.hasPoint = true;
  e.x = static_cast<float>(x_);
  e.y = static_cast<float>(y_);
  e.button = button;
  e.shift = ShiftState();
  return e;
}

void SeatInput::Motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<SeatInput*>(data);
  self->x_ = wl_fixed_to_double(x);
  self->y_ = wl_fixed_to_double(y);
  self->deliver_(self->PointerEvent(InputKind::kMouseMove, 0), self->pointerSurface_);
}

// The form numbers buttons 1 left, 2 right, 4 middle; others are not buttons it knows.
void SeatInput::Button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                       std::uint32_t state) {
  auto* self = static_cast<SeatInput*>(data);
  const std::int16_t which = button == BTN_LEFT     ? 1
                             : button == BTN_RIGHT  ? 2
                             : button == BTN_MIDDLE ? 4
                                                    : 0;
  if (which == 0) return;
  const InputKind kind =
      state == WL_POINTER_BUTTON_STATE_PRESSED ? InputKind::kMouseDown : InputKind::kClick;
  self->deliver_(self->PointerEvent(kind, which), self->pointerSurface_);
}

void SeatInput::SetPointerHidden(bool hidden) {
  pointerHidden_ = hidden;
  ApplyCursor();
}

// No cursor surface at all while hidden; shown, the compositor's own pointer returns as soon as
// it leaves the saver's surfaces, which go away with the form.
void SeatInput::ApplyCursor() {
  if (pointer_ != nullptr && pointerInside_ && pointerHidden_) {
    wl_pointer_set_cursor(pointer_, enterSerial_, nullptr, 0, 0);
  }
}

}  // namespace host::wayland

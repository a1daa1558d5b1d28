#include "host/keysyms/key_codes.hpp"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <utility>

namespace host::keysyms {
namespace {

constexpr std::array<std::pair<std::uint32_t, std::int16_t>, 28> kNamedKeys{{
    {XKB_KEY_BackSpace, 8}, {XKB_KEY_Tab, 9},      {XKB_KEY_Return, 13},    {XKB_KEY_KP_Enter, 13},
    {XKB_KEY_Shift_L, 16},  {XKB_KEY_Shift_R, 16}, {XKB_KEY_Control_L, 17}, {XKB_KEY_Control_R, 17},
    {XKB_KEY_Alt_L, 18},    {XKB_KEY_Alt_R, 18},   {XKB_KEY_Pause, 19},     {XKB_KEY_Escape, 27},
    {XKB_KEY_space, 32},    {XKB_KEY_Prior, 33},   {XKB_KEY_Next, 34},      {XKB_KEY_End, 35},
    {XKB_KEY_Home, 36},     {XKB_KEY_Left, 37},    {XKB_KEY_Up, 38},        {XKB_KEY_Right, 39},
    {XKB_KEY_Down, 40},     {XKB_KEY_Insert, 45},  {XKB_KEY_Delete, 46},    {XKB_KEY_Super_L, 91},
    {XKB_KEY_Super_R, 92},  {XKB_KEY_Menu, 93},    {XKB_KEY_Caps_Lock, 20}, {XKB_KEY_Num_Lock, 144},
}};

}  // namespace

std::int16_t KeyCodeOf(std::uint32_t sym) {
  if (sym >= XKB_KEY_a && sym <= XKB_KEY_z) return static_cast<std::int16_t>(sym - XKB_KEY_a + 'A');
  if ((sym >= XKB_KEY_A && sym <= XKB_KEY_Z) || (sym >= XKB_KEY_0 && sym <= XKB_KEY_9)) {
    return static_cast<std::int16_t>(sym);
  }
  if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F24) {
    return static_cast<std::int16_t>(112 + (sym - XKB_KEY_F1));
  }
  for (const auto& [key, code] : kNamedKeys) {
    if (key == sym) return code;
  }
  return static_cast<std::int16_t>(sym & 0xFF);
}

}  // namespace host::keysyms

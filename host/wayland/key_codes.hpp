// Key symbols (xkbcommon's, the same numbers as X's) as the form's key codes.
#pragma once

#include <cstdint>

namespace host::wayland {

// Letters and digits as their capitals, the usual named keys by their codes, anything else by
// the low byte of its symbol.
std::int16_t KeyCodeOf(std::uint32_t keysym);

}  // namespace host::wayland

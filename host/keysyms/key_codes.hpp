// Key symbols (X's and xkbcommon's: the same numbers) as the form's key codes, for every
// platform that reads them.
#pragma once

#include <cstdint>

namespace host::keysyms {

// Letters and digits as their capitals, the usual named keys by their codes, anything else by
// the low byte of its symbol.
std::int16_t KeyCodeOf(std::uint32_t keysym);

}  // namespace host::keysyms

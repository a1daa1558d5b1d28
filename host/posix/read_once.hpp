// Memory the program read once and will not read again (the banner's file, decoded at start):
// its whole pages are given back to the system, which reads them in again if ever needed.
#pragma once

#include <cstdint>
#include <span>

namespace host::posix {

void ReleaseReadOnce(std::span<const std::uint8_t> bytes);

}  // namespace host::posix

// Window handles cross the window manager's interface as 32-bit integers. On 64-bit Windows a
// handle is pointer-sized but always fits a sign-extended 32-bit value, so the two convert
// without loss in both directions.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/basic_types.hpp"

namespace host::win32 {

inline HWND Widen(Hwnd handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

inline Hwnd Narrow(HWND handle) {
  return static_cast<Hwnd>(reinterpret_cast<std::intptr_t>(handle));
}

}  // namespace host::win32

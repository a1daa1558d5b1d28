#include "host/win32/held_keys.hpp"

namespace host::win32 {

HeldKeys* HeldKeys::watching_ = nullptr;

HeldKeys::~HeldKeys() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  if (watching_ == this) watching_ = nullptr;
}

void HeldKeys::Watch(HWND window) {
  window_ = window;
  if (hook_ != nullptr) return;
  watching_ = this;
  hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &HeldKeys::Hook, GetModuleHandleW(nullptr), 0);
}

void HeldKeys::SwallowUntilReleased(std::chrono::milliseconds limit) {
  if (hook_ == nullptr || !Swallowing()) return;
  // The hook runs only while this thread handles its messages.
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
  while (down_.any()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) DispatchMessageW(&message);
  }
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
}

LRESULT CALLBACK HeldKeys::Hook(int code, WPARAM message, LPARAM event) {
  HeldKeys* self = watching_;
  if (code != HC_ACTION || self == nullptr) return CallNextHookEx(nullptr, code, message, event);
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(event);
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  self->down_.set(key->vkCode & 0xFF, down);
  if (down && self->Swallowing()) return 1;
  return CallNextHookEx(nullptr, code, message, event);
}

}  // namespace host::win32

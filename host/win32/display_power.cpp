#include "host/win32/display_power.hpp"

namespace host::win32 {
namespace {

// The two power settings that carry the display's state: 0 off, 1 on, 2 dimmed.
constexpr GUID kSessionDisplayStatus = {
    0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

}  // namespace

HPOWERNOTIFY RegisterDisplayPowerNotification(HWND window) {
  if (window == nullptr) return nullptr;
  HPOWERNOTIFY notify =
      RegisterPowerSettingNotification(window, &kSessionDisplayStatus, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (notify == nullptr) {
    notify = RegisterPowerSettingNotification(window, &kConsoleDisplayState,
                                              DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  return notify;
}

std::optional<bool> DisplayOnFromBroadcast(WPARAM wParam, LPARAM lParam) {
  if (wParam != PBT_POWERSETTINGCHANGE || lParam == 0) return std::nullopt;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  if (!IsEqualGUID(setting->PowerSetting, kSessionDisplayStatus) &&
      !IsEqualGUID(setting->PowerSetting, kConsoleDisplayState)) {
    return std::nullopt;
  }
  if (setting->DataLength < sizeof(DWORD)) return std::nullopt;
  DWORD state = 0;
  CopyMemory(&state, setting->Data, sizeof state);
  return state != 0;
}

}  // namespace host::win32

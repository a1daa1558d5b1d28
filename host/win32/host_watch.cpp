#include "host/win32/host_watch.hpp"

namespace host::win32 {

HostWatch::~HostWatch() {
  if (process_ != nullptr) CloseHandle(process_);
}

bool HostWatch::Orphaned(HWND window) {
  if (host_ == nullptr) {
    if (window == nullptr || (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0) return false;
    host_ = GetAncestor(window, GA_PARENT);
    DWORD pid = 0;
    GetWindowThreadProcessId(host_, &pid);
    if (pid != 0 && pid != GetCurrentProcessId()) process_ = OpenProcess(SYNCHRONIZE, FALSE, pid);
    return false;
  }
  if (reported_) return false;
  const bool processEnded =
      process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
  reported_ = processEnded || IsWindow(host_) == 0;
  return reported_;
}

std::optional<SIZE> HostWatch::SizeToFollow(HWND window) const {
  if (host_ == nullptr || reported_ || window == nullptr) return std::nullopt;
  RECT host{};
  RECT own{};
  if (GetClientRect(host_, &host) == 0 || GetClientRect(window, &own) == 0) return std::nullopt;
  if (host.right <= 0 || host.bottom <= 0) return std::nullopt;
  if (host.right == own.right && host.bottom == own.bottom) return std::nullopt;
  return SIZE{host.right, host.bottom};
}

}  // namespace host::win32

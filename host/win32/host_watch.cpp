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

}  // namespace host::win32

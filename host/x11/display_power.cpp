#include "host/x11/display_power.hpp"

#include "host/platform.hpp"
#include "host/posix/fd_wait.hpp"

namespace host::x11 {
namespace {

constexpr std::int64_t kWhileOnNs = 30'000'000'000;
constexpr std::int64_t kWhileOffNs = 1'000'000'000;

}  // namespace

DisplayPower::DisplayPower(Display* display) : display_(display) {
  int eventBase = 0;
  int errorBase = 0;
  capable_ = DPMSQueryExtension(display_, &eventBase, &errorBase) && DPMSCapable(display_);
  askedNs_ = posix::MonotonicNowNs();
  on_ = Query();
}

bool DisplayPower::Refresh(std::int64_t nowNs) {
  if (!capable_ || nowNs < NextQueryNs()) return false;
  askedNs_ = nowNs;
  const bool on = Query();
  if (on == on_) return false;
  on_ = on;
  return true;
}

std::int64_t DisplayPower::NextQueryNs() const {
  if (!capable_) return kNoDeadline;
  return askedNs_ + (on_ ? kWhileOnNs : kWhileOffNs);
}

// Standby and suspend blank the monitor as off does; with DPMS disabled it stays on.
bool DisplayPower::Query() {
  if (!capable_) return true;
  CARD16 level = DPMSModeOn;
  BOOL enabled = 0;
  if (DPMSInfo(display_, &level, &enabled) == 0) return true;
  return !enabled || level == DPMSModeOn;
}

}  // namespace host::x11

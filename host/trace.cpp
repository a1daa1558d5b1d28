#include "host/trace.hpp"

#include <array>

namespace host {
namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(TraceOp::kCount)> kNames = {
    "RunMode",    "PrevInstance",  "FindWindowA",    "Load",           "Show",      "Caption",
    "hWnd",       "GetClientRect", "GetWindowLongA", "SetWindowLongA", "SetParent", "SetWindowPos",
    "ShowCursor", "Input",         "Timer",          "Enabled",        "Visible",   "Top",
    "Unload",     "End",           "Error",          "State",          "Frame"};

}  // namespace

std::string_view TraceOpName(TraceOp op) {
  return kNames[static_cast<std::size_t>(op)];
}

bool ParseTraceOp(std::string_view name, TraceOp& op) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) {
      op = static_cast<TraceOp>(i);
      return true;
    }
  }
  return false;
}

}  // namespace host

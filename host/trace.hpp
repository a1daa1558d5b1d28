// A record of every host operation, for the headless front end and for debugging.
// The runtime asks Wants() before it builds a record, so a disabled operation costs one test.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <variant>

#include "host/drawing/pixel_geometry.hpp"
#include "host/drawing/visible_control.hpp"

namespace host {

enum class TraceOp : std::uint8_t {
  kRunMode,
  kPrevInstance,
  kFindWindowA,
  kLoad,
  kShow,
  kCaption,
  kHWnd,
  kGetClientRect,
  kGetWindowLongA,
  kSetWindowLongA,
  kSetParent,
  kSetWindowPos,
  kShowCursor,
  kInput,
  kTimer,
  kEnabled,
  kVisible,
  kTop,
  kUnload,
  kEnd,
  kError,
  kState,
  kFrame,
  kCount
};

std::string_view TraceOpName(TraceOp op);
// Returns false when name is no operation.
bool ParseTraceOp(std::string_view name, TraceOp& op);

// A record's values are plain data; how they are written (JSON, a summary) is the sink's choice.
using TraceBoxes = std::span<const drawing::PixelRect>;
using TraceControls = std::span<const drawing::VisibleControl>;
using TraceValue = std::variant<std::int64_t, double, float, std::string_view, bool, std::nullptr_t,
                                TraceBoxes, TraceControls>;

struct TraceField {
  std::string_view key;
  TraceValue value;
};

class TraceSink {
 public:
  virtual ~TraceSink() = default;
  bool Wants(TraceOp op) const { return (mask_ >> static_cast<unsigned>(op)) & 1u; }
  void Only(TraceOp op) { mask_ |= 1u << static_cast<unsigned>(op); }
  void None() { mask_ = 0; }
  // timeMs: virtual or real milliseconds since the program started.
  virtual void Write(double timeMs, TraceOp op, std::initializer_list<TraceField> fields) = 0;

 private:
  std::uint32_t mask_ = ~0u;
};

}  // namespace host

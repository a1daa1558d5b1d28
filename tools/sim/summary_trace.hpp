// A short readable account of a run: start-up, each caption line's fall, input, the end.
#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "host/trace.hpp"

namespace sim {

class SummaryTrace : public host::TraceSink {
 public:
  explicit SummaryTrace(std::FILE* out) : out_(out) {}
  void Write(double timeMs, host::TraceOp op,
             std::initializer_list<host::TraceField> fields) override;

 private:
  struct Line {
    bool visible = false;
    bool announcePending = false;
    float top = 0;
  };
  void Say(double timeMs, const std::string& text);
  Line* LineOf(std::string_view control);

  std::FILE* out_;
  std::array<Line, 5> lines_{};
};

}  // namespace sim

#include "tools/sim/summary_trace.hpp"

#include <charconv>

#include "cover/scene.hpp"

namespace sim {
namespace {

template <typename T>
T Field(std::initializer_list<host::TraceField> fields, std::string_view key, T fallback) {
  for (const host::TraceField& f : fields) {
    if (f.key == key) {
      if (const T* v = std::get_if<T>(&f.value)) return *v;
    }
  }
  return fallback;
}

std::string Number(double value) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

std::string_view CaptionOf(std::string_view control) {
  for (const host::ControlDesign& c : cover::kFrmCoverControls) {
    if (const auto* label = std::get_if<host::LabelDesign>(&c); label && label->name == control) {
      return label->caption;
    }
  }
  return {};
}

}  // namespace

void SummaryTrace::Say(double timeMs, const std::string& text) {
  std::fprintf(out_, "%9.3f s  %s\n", timeMs / 1000.0, text.c_str());
}

SummaryTrace::Line* SummaryTrace::LineOf(std::string_view control) {
  if (control.size() != 6 || control.substr(0, 5) != "Label") return nullptr;
  const int n = control[5] - '1';
  return n >= 0 && n < 5 ? &lines_[static_cast<std::size_t>(n)] : nullptr;
}

void SummaryTrace::Write(double timeMs, host::TraceOp op,
                         std::initializer_list<host::TraceField> fields) {
  using host::TraceOp;
  const std::string_view control = Field<std::string_view>(fields, "control", {});
  switch (op) {
    case TraceOp::kRunMode: {
      static const char* const kModes[] = {"?", "configure", "full-screen saver", "preview"};
      const auto mode = Field<std::int64_t>(fields, "value", 0);
      Say(timeMs, "run mode " + std::to_string(mode) + " (" +
                      kModes[mode >= 0 && mode <= 3 ? mode : 0] + ")");
      break;
    }
    case TraceOp::kLoad:
      Say(timeMs, "cover window loaded: Label1 visible at the top left, the banner below");
      for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i] = Line{i == 0, false, 120};
      }
      break;
    case TraceOp::kShow:
      Say(timeMs, "cover window shown, maximized");
      break;
    case TraceOp::kCaption:
      Say(timeMs,
          "caption set to \"" + std::string(Field<std::string_view>(fields, "value", {})) + "\"");
      break;
    case TraceOp::kSetWindowPos:
      Say(timeMs, "embedded in the preview window, " +
                      std::to_string(Field<std::int64_t>(fields, "cx", 0)) + "x" +
                      std::to_string(Field<std::int64_t>(fields, "cy", 0)) + " pixels");
      break;
    case TraceOp::kShowCursor:
      Say(timeMs, std::string(Field<std::int64_t>(fields, "value", 0) ? "pointer shown"
                                                                      : "pointer hidden") +
                      " (display count " + std::to_string(Field<std::int64_t>(fields, "count", 0)) +
                      ")");
      break;
    case TraceOp::kVisible: {
      Line* line = LineOf(control);
      if (line == nullptr) break;
      const bool visible = Field<std::int64_t>(fields, "value", 0) != 0;
      if (visible && !line->visible) line->announcePending = true;
      if (!visible && line->visible) {
        Say(timeMs, std::string(control) + " vanishes at Top " + Number(line->top) +
                        " and returns upwards, hidden");
      }
      line->visible = visible;
      break;
    }
    case TraceOp::kTop: {
      Line* line = LineOf(control);
      if (line == nullptr) break;
      line->top = Field<float>(fields, "value", line->top);
      if (line->announcePending) {
        line->announcePending = false;
        Say(timeMs, std::string(control) + " \"" + std::string(CaptionOf(control)) +
                        "\" appears at Top " + Number(line->top) + " and slides down");
      }
      break;
    }
    case TraceOp::kInput:
      Say(timeMs, "input: " + std::string(Field<std::string_view>(fields, "kind", {})) + " on " +
                      std::string(Field<std::string_view>(fields, "target", {})));
      break;
    case TraceOp::kUnload:
      Say(timeMs, "cover window unloads");
      break;
    case TraceOp::kError:
      Say(timeMs, "run-time error: " + std::string(Field<std::string_view>(fields, "message", {})));
      break;
    case TraceOp::kEnd:
      Say(timeMs,
          "program ends, status " + std::to_string(Field<std::int64_t>(fields, "status", 0)));
      break;
    default:
      break;
  }
}

}  // namespace sim

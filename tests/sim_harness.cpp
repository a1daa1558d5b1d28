#include "tests/sim_harness.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "host/drawing/scene_painter.hpp"
#include "tools/sim/json_trace.hpp"

namespace testing_support {

void RecordingTrace::Write(double timeMs, host::TraceOp op,
                           std::initializer_list<host::TraceField> fields) {
  Record record{timeMs, op, {}};
  for (const host::TraceField& f : fields) {
    std::string text;
    std::visit(
        [&](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::string_view>) {
            text = std::string(v);
          } else if constexpr (std::is_same_v<T, bool>) {
            text = v ? "true" : "false";
          } else if constexpr (std::is_same_v<T, std::nullptr_t>) {
            text = "null";
          } else if constexpr (std::is_same_v<T, host::TraceBoxes> ||
                               std::is_same_v<T, host::TraceControls>) {
            sim::AppendJson(text, v);
          } else {
            char buffer[64];
            text.assign(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
          }
        },
        f.value);
    record.fields[std::string(f.key)] = text;
  }
  records.push_back(std::move(record));
}

std::vector<Record> RecordingTrace::Of(host::TraceOp op) const {
  std::vector<Record> out;
  for (const Record& r : records) {
    if (r.op == op) out.push_back(r);
  }
  return out;
}

std::string RecordingTrace::Ops() const {
  std::string out;
  for (const Record& r : records) {
    if (r.op == host::TraceOp::kFrame) continue;
    if (!out.empty()) out += ',';
    out += host::TraceOpName(r.op);
  }
  return out;
}

SimRun::SimRun(host::headless::DesktopConfig config)
    : platform(std::move(config), &errors), runtime(platform, &trace), program(runtime) {}

std::optional<FormWindowState> SimRun::FormState() const {
  const host::headless::Window* w = platform.FindByHandle(platform.FormWindow());
  if (w == nullptr) return std::nullopt;
  const host::EmulatedWindowManager& wm = runtime.User32().Emulation();
  return FormWindowState{w->caption,
                         w->parent,
                         w->placement.width,
                         w->placement.height,
                         wm.FormRecords().style,
                         wm.FormRecords().ownerLink};
}

int SimRun::Run() {
  status = program.Run();
  return status;
}

std::string NameOfText(std::string_view text) {
  if (text.empty()) return "Empty";
  auto token = [](char c) -> std::string {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      return std::string(1, c);
    }
    switch (c) {
      case '/':
        return "Slash";
      case ' ':
        return "Blank";
      case ':':
        return "Colon";
      case '\t':
        return "Tab";
      case '-':
        return "Minus";
      default:
        return "Other";
    }
  };
  std::string name;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t run = 1;
    while (i + run < text.size() && text[i + run] == text[i]) ++run;
    if (run >= 4) {
      name += token(text[i]) + "Times" + std::to_string(run);
      if (i + run < text.size()) name += "_";
    } else {
      for (std::size_t k = 0; k < run; ++k) name += token(text[i]);
    }
    i += run;
  }
  return name;
}

std::vector<std::uint32_t> FullRepaint(const host::Form& form, host::drawing::PixelSize size,
                                       int dpi) {
  host::headless::FixedMeasurer measurer(host::headless::StandardFonts());
  host::headless::MemoryCanvas canvas(measurer, true);
  canvas.SetClientSize(size);
  host::drawing::ColourScheme standard;
  host::drawing::ScenePainter painter(form, canvas, measurer, standard, dpi);
  painter.PaintFrame();
  return canvas.Screen();
}

host::headless::DesktopConfig Desktop(const std::string& commandLine, double runMs) {
  host::headless::DesktopConfig config;
  config.commandLine = commandLine;
  config.runNs = std::llround(runMs * 1e6);
  return config;
}

host::headless::ScriptedAction Input(double ms, host::InputKind kind) {
  host::headless::ScriptedAction action;
  action.atNs = std::llround(ms * 1e6);
  action.input.kind = kind;
  return action;
}

host::headless::ScriptedAction MouseAt(double ms, host::InputKind kind, float x, float y) {
  host::headless::ScriptedAction action = Input(ms, kind);
  action.input.hasPoint = true;
  action.input.x = x;
  action.input.y = y;
  action.input.button = 1;
  return action;
}

host::headless::ScriptedAction DestroyHosts(double ms) {
  host::headless::ScriptedAction action;
  action.kind = host::headless::ScriptedAction::Kind::kDestroyHosts;
  action.atNs = std::llround(ms * 1e6);
  return action;
}

void ExpectEveryViewShowsTheScene(SimRun& run) {
  for (const host::View& view : run.platform.Views()) {
    const auto& canvas = run.platform.CanvasOf(view.id);
    const auto size = canvas.Size();
    const auto full = FullRepaint(run.program.frmCover, size, view.dpi);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < full.size(); ++i) wrong += canvas.Screen()[i] != full[i];
    EXPECT_EQ(wrong, 0u) << "stale pixels in view " << view.id << " (" << size.width << "x"
                         << size.height << " at " << view.dpi << " dpi)";
  }
}

}  // namespace testing_support

// vorthane-sim: runs the program on the headless platform with a given command line and
// simulated desktop, for a span of virtual time, and prints what the host did.
#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cover/scene.hpp"
#include "host/headless/headless_platform.hpp"
#include "startup/program.hpp"
#include "tools/sim/json_trace.hpp"
#include "tools/sim/sim_options.hpp"
#include "tools/sim/summary_trace.hpp"

namespace {

// The program's state at the end of the run, as one JSON object.
void WriteState(sim::JsonTrace& sink, const startup::Program& program, const host::Runtime& runtime,
                double timeMs) {
  const cover::FrmCover& form = program.frmCover;
  std::string labels = "[";
  std::string enabled = "[";
  if (form.Loaded()) {
    for (const host::LabelId id : cover::kCaptionLines) {
      if (labels.size() > 1) labels += ',';
      labels += "{\"control\":";
      sim::AppendJsonString(labels, form.LabelDesignOf(id.index).name);
      labels += ",\"top\":";
      sim::AppendJson(labels, form.LabelTop(id.index));
      labels += ",\"visible\":";
      sim::AppendJson(labels, std::int64_t{form.LabelVisible(id.index)});
      labels += '}';
    }
    for (const host::TimerId id : cover::kTimers) {
      if (form.TimerEnabled(id.index) != host::True) continue;
      if (enabled.size() > 1) enabled += ',';
      sim::AppendJsonString(enabled, host::ControlName(form.design().controls[id.index]));
    }
  }
  labels += ']';
  enabled += ']';
  const std::string lastMouse =
      "[" + std::to_string(form.LastMouseX) + "," + std::to_string(form.LastMouseY) + "]";
  sink.WriteWith(
      timeMs, host::TraceOp::kState,
      {{"run_mode", std::int64_t{program.subMain.CurrentRunMode}},
       {"loaded", form.Loaded()},
       {"caption", std::string_view(form.Loaded() ? form.Caption() : std::string())},
       {"cursor_count", std::int64_t{runtime.User32().Emulation().PointerCount()}}},
      ",\"last_mouse\":" + lastMouse + ",\"labels\":" + labels + ",\"enabled\":" + enabled);
}

}  // namespace

int main(int argc, char** argv) {
  sim::SimOptions options;
  try {
    options = sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vorthane-sim: %s\n", e.what());
    return 2;
  }
  if (options.help) {
    std::fputs(sim::kSimUsage, stdout);
    return 0;
  }

  std::unique_ptr<host::TraceSink> trace;
  sim::JsonTrace* json = nullptr;
  if (options.summary) {
    trace = std::make_unique<sim::SummaryTrace>(stdout);
  } else {
    auto lines = std::make_unique<sim::JsonTrace>(stdout);
    json = lines.get();
    trace = std::move(lines);
  }
  if (options.only) {
    trace->None();
    for (const host::TraceOp op : *options.only) trace->Only(op);
  }

  host::headless::HeadlessPlatform platform(options.desktop, &std::cerr);
  host::Runtime runtime(platform, trace.get());
  startup::Program program(runtime);
  const int status = program.Run();

  // The state comes last, always.
  trace->Only(host::TraceOp::kState);
  if (options.summary) {
    std::string text;
    for (const host::LabelId id : cover::kCaptionLines) {
      const cover::FrmCover& f = program.frmCover;
      if (!f.Loaded()) break;
      char line[96];
      std::snprintf(line, sizeof line, "  %s Top %g %s\n", f.LabelDesignOf(id.index).name.data(),
                    static_cast<double>(f.LabelTop(id.index)),
                    f.LabelVisible(id.index) == host::True ? "visible" : "hidden");
      text += line;
    }
    std::printf("%9.3f s  %s (pointer display count %d)\n%s", runtime.ElapsedMs() / 1000.0,
                program.frmCover.Loaded() ? "still running when the time ran out" : "not running",
                runtime.User32().Emulation().PointerCount(), text.c_str());
  } else {
    WriteState(*json, program, runtime, runtime.ElapsedMs());
  }
  std::fflush(stdout);
  return status;
}

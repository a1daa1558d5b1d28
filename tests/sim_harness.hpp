// Runs the program on the headless platform and keeps the trace, for the tests.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/headless/headless_platform.hpp"
#include "host/runtime.hpp"
#include "host/trace.hpp"
#include "startup/program.hpp"

namespace testing_support {

struct Record {
  double t = 0;
  host::TraceOp op = host::TraceOp::kState;
  std::map<std::string, std::string> fields;  // every value as text

  const std::string& operator[](const std::string& key) const { return fields.at(key); }
  long long Int(const std::string& key) const { return std::stoll(fields.at(key)); }
};

class RecordingTrace : public host::TraceSink {
 public:
  void Write(double timeMs, host::TraceOp op,
             std::initializer_list<host::TraceField> fields) override;
  std::vector<Record> records;

  std::vector<Record> Of(host::TraceOp op) const;
  // The program's operation names in order, e.g. "Load,Caption,hWnd"; frames are left out
  // (their own tests read them with Of).
  std::string Ops() const;
};

// The form's window as the window manager and the desktop see it.
struct FormWindowState {
  std::string caption;
  host::Hwnd parent = 0;
  int width = 0;
  int height = 0;
  host::Long style = 0;
  host::Long ownerLink = 0;
};

// One run of the program on a simulated desktop.
struct SimRun {
  explicit SimRun(host::headless::DesktopConfig config);
  // Runs Main and the event loop until the program ends or the virtual time runs out.
  int Run();
  // The form's window while it exists.
  std::optional<FormWindowState> FormState() const;
  // The pointer's display count.
  int CursorCount() const { return runtime.User32().Emulation().PointerCount(); }

  std::ostringstream errors;
  host::headless::HeadlessPlatform platform;
  RecordingTrace trace;
  host::Runtime runtime;
  startup::Program program;
  int status = -1;
};

// The scene as it stands drawn into a fresh canvas of this size and resolution, all at once.
std::vector<std::uint32_t> FullRepaint(const host::Form& form, host::drawing::PixelSize size,
                                       int dpi = host::drawing::kStandardDpi);

// Every view's screen is the scene drawn all at once at that view's size and resolution
// (a run with raster on).
void ExpectEveryViewShowsTheScene(SimRun& run);

// A test name for a command line: letters and digits as they are, other characters by name
// ("/c:1" is "SlashcColon1"), long runs of one character counted ("BlankTimes32764").
std::string NameOfText(std::string_view text);

host::headless::DesktopConfig Desktop(const std::string& commandLine, double runMs = 1000);
host::headless::ScriptedAction Input(double ms, host::InputKind kind);
host::headless::ScriptedAction MouseAt(double ms, host::InputKind kind, float x, float y);
host::headless::ScriptedAction DestroyHosts(double ms);

}  // namespace testing_support

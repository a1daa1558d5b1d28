// vorthane: the screen saver on Linux. It reads the command line (its own, or a screen-saver
// daemon's way of starting it), tries the platforms of the table below in order until one can
// serve, and runs the program on it.
//
// A new platform is one row in kPlatforms (its connect function probes its own display and
// declines with a reason) and one line in the build.

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "host/idle/idle_watch.hpp"
#include "host/linux/server_choice.hpp"
#include "host/linux/usage.hpp"
#include "host/posix/linux_memory_failure.hpp"
#include "host/posix/linux_signal_fd.hpp"
#include "host/posix/session_platform.hpp"
#include "host/posix/standard_streams.hpp"
#include "host/runtime.hpp"
#include "host/wayland/connect.hpp"
#include "host/x11/command_line.hpp"
#include "host/x11/connect.hpp"
#include "startup/program.hpp"

namespace {

using host::linux_program::ServerChoice;
using host::x11::LaunchRequest;

// What the command line asks for, as the platforms' connect functions read it.
struct Launch {
  LaunchRequest request;                 // the daemon's arguments, or the program's own
  std::optional<LaunchRequest> preview;  // the program's own "/p", when it is one
  std::string CommandLine() const { return request.commandLine.value_or(std::string()); }
};

struct PlatformRow {
  ServerChoice forcedBy;  // the option that makes this platform the only one tried
  // Whether the platform can serve this launch at all.
  bool (*serves)(const Launch&);
  host::posix::Connection (*connect)(const Launch&, bool forced);
};

bool FullScreenOnly(const Launch& launch) {
  return !launch.request.window && !host::linux_program::IsPreview(launch.CommandLine());
}

// Full-screen on Wayland where the compositor lets a saver cover its outputs: over everything
// with layer-shell, or else (GNOME) as fullscreen windows; previews and daemons' windows are X
// windows.
constexpr PlatformRow kPlatforms[] = {
    {ServerChoice::kWayland, &FullScreenOnly,
     [](const Launch& launch, bool forced) {
       return host::wayland::Connect(launch.CommandLine(), forced, host::wayland::Views::kOverlay);
     }},
    {ServerChoice::kWayland, &FullScreenOnly,
     [](const Launch& launch, bool forced) {
       return host::wayland::Connect(launch.CommandLine(), forced,
                                     host::wayland::Views::kToplevels);
     }},
    {ServerChoice::kX11, [](const Launch&) { return true; },
     [](const Launch& launch, bool) { return host::x11::Connect(launch.request, launch.preview); }},
};

int Refuse(const std::string& line) {
  std::fprintf(stderr, "vorthane: %s\n", line.c_str());
  return 1;
}

// Runs the program on the platform and says how the process ends.
int Run(host::posix::SessionPlatform& platform, bool daemonWindow) {
  int signal = 0;
  int status = 0;
  try {
    host::Runtime runtime(platform);
    startup::Program program(runtime);
    status = program.Run();
    signal = platform.ReceivedSignal();
  } catch (const std::exception&) {
    // A thread or memory the system would not give: the platform has let go of the display
    // (the pointer was never hidden without a window that the server drops with it).
    return Refuse(host::posix::OutOfResourcesLine());
  }
  if (const std::string failure = platform.Failure(); !failure.empty()) return Refuse(failure);
  // A daemon ends its programs with a signal and expects them to die of it, as hacks do; the
  // clean-up above has run.
  if (daemonWindow && signal != 0) host::posix::EndBySignal(signal);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  host::posix::OpenClosedStandardStreams();
  host::posix::EndWithOneLineOnMemoryFailure();
  // One malloc arena: the font configuration is read on a thread at start-up, and an arena of
  // its own would stay resident for the whole run.
  mallopt(M_ARENA_MAX, 1);
  std::vector<std::string> args(argv + 1, argv + argc);
  // The idle watch is a program of its own: it only starts the saver.
  if (!args.empty() && args.front() == host::idle::kIdleWatchOption) {
    return host::idle::RunIdleWatch(args, host::idle::OwnProgramFile(argv[0]));
  }
  const ServerChoice server = host::linux_program::TakeServerChoice(args);
  switch (host::linux_program::ReadInfoRequest(args)) {
    case host::linux_program::InfoRequest::kHelp:
      std::fputs(host::linux_program::UsageText().c_str(), stdout);
      return 0;
    case host::linux_program::InfoRequest::kVersion:
      std::printf("%.*s\n", static_cast<int>(host::linux_program::kVersionLine.size()),
                  host::linux_program::kVersionLine.data());
      return 0;
    case host::linux_program::InfoRequest::kNone:
      break;
  }
  Launch launch;
  // A daemon's unusable window id ends the program before it touches the display.
  launch.request = host::x11::ReadDaemonArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (launch.request.error) return Refuse(*launch.request.error);
  // The program's own preview: a window id it would misread ends it here, before the display.
  if (launch.request.commandLine) {
    launch.preview = host::x11::ReadPreviewArgument(*launch.request.commandLine);
  }
  if (launch.preview && launch.preview->error) return Refuse(*launch.preview->error);

  // The first platform that serves runs the program; the reasons of those that declined are
  // given together when none does, the last one tried first.
  // --wayland or --x11 makes its platform the only one tried, where that platform can serve the
  // launch at all (previews and daemons' windows are X11's whatever the option).
  ServerChoice forced = ServerChoice::kAny;
  for (const PlatformRow& row : kPlatforms) {
    if (row.forcedBy == server && row.serves(launch)) forced = server;
  }
  std::string reasons;
  for (const PlatformRow& row : kPlatforms) {
    if (forced != ServerChoice::kAny && forced != row.forcedBy) continue;
    if (!row.serves(launch)) continue;
    std::unique_ptr<host::posix::SessionPlatform> platform;
    std::string whyNot;
    try {
      host::posix::Connection connection = row.connect(launch, forced == row.forcedBy);
      if (connection.final) return Refuse(connection.whyNot);
      platform = std::move(connection.platform);
      whyNot = std::move(connection.whyNot);
    } catch (const std::exception&) {
      return Refuse(host::posix::OutOfResourcesLine());
    }
    if (platform) return Run(*platform, launch.request.window.has_value());
    if (!whyNot.empty()) reasons = reasons.empty() ? whyNot : whyNot + ", and " + reasons;
  }
  return Refuse(reasons);
}

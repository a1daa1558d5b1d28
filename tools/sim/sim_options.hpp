// The command line of vorthane-sim.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/headless/headless_platform.hpp"
#include "host/trace.hpp"

namespace sim {

struct SimOptions {
  host::headless::DesktopConfig desktop;
  std::optional<std::vector<host::TraceOp>> only;  // print only these operations
  bool summary = false;                            // a readable summary instead of JSON Lines
  bool help = false;
};

// Parses the arguments after the program's name; throws std::invalid_argument with a one-line
// message on a usage error.
SimOptions ParseSimOptions(const std::vector<std::string>& args);

extern const char* const kSimUsage;

}  // namespace sim

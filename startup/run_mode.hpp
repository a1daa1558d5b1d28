// The run modes the command line selects.
#pragma once

#include <cstdint>

namespace startup {

enum RunMode : std::int16_t {
  RunModeConfigure = 1,
  RunModeSaver = 2,
  RunModePreview = 3,
};

}  // namespace startup

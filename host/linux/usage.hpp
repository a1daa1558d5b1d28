// What `vorthane --help` and `--version` print: no display is needed for either.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host::linux_program {

inline constexpr std::string_view kVersionLine = "vorthane 1.00";

// The usage text, ending in a newline.
std::string UsageText();

enum class InfoRequest { kNone, kHelp, kVersion };

// "--help"/"-help"/"-h" or "--version"/"-version" as the first argument; anything after it is
// ignored, as most commands do.
InfoRequest ReadInfoRequest(const std::vector<std::string>& args);

}  // namespace host::linux_program

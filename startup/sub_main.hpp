// The start-up module: Main reads the command line, records the run mode and opens the cover
// window full-screen or inside the preview host.
#pragma once

#include <cstdint>
#include <string>

#include "cover/frm_cover.hpp"
#include "host/runtime.hpp"
#include "startup/run_mode.hpp"

namespace startup {

class SubMain {
 public:
  SubMain(host::Runtime& app, cover::FrmCover& frmCover);

  void Main();
  void GuardSingleInstance();
  // The trailing run of decimal digits of text, read as an unsigned 32-bit number: the handle
  // with the same bits.
  static std::int32_t ParsePreviewHandle(std::string text);

  // 0 until Main records the run mode, once, before any window exists.
  std::int16_t CurrentRunMode = 0;

 private:
  void RunSaver();
  void RunPreview(const std::string& commandLine);

  host::Runtime& App;
  cover::FrmCover& frmCover;
};

}  // namespace startup

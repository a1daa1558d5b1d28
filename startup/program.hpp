// The whole program: the start-up module and its one window, bound to a runtime.
#pragma once

#include "cover/frm_cover.hpp"
#include "host/runtime.hpp"
#include "startup/sub_main.hpp"

namespace startup {

class Program {
 public:
  explicit Program(host::Runtime& app);
  // Runs Main and then the event loop; returns the exit status.
  int Run();

  host::Runtime& App;  // the application object
  SubMain subMain;
  cover::FrmCover frmCover;
};

}  // namespace startup

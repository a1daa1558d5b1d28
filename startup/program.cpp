#include "startup/program.hpp"

namespace startup {

Program::Program(host::Runtime& rt)
    : runtime(rt), subMain(rt, frmCover), frmCover(rt, subMain.CurrentRunMode) {}

int Program::Run() {
  return runtime.Run([this] { subMain.Main(); });
}

}  // namespace startup

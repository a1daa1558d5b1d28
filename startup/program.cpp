#include "startup/program.hpp"

namespace startup {

Program::Program(host::Runtime& app)
    : App(app), subMain(app, frmCover), frmCover(app, subMain.CurrentRunMode) {}

int Program::Run() {
  return App.Run([this] { subMain.Main(); });
}

}  // namespace startup

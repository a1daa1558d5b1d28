// frmCover, the program's one window: its scene comes from the design table, its input
// handlers are the dismissal rules, its timers run the credits.
#pragma once

#include <cstdint>

#include "host/form.hpp"
#include "host/runtime.hpp"

namespace cover {

class FrmCover : public host::FormEvents, public host::Form {
 public:
  // currentRunMode: the run mode the start-up module records; input counts only in saver mode.
  FrmCover(host::Runtime& app, const std::int16_t& currentRunMode);

  void Form_Click() override;
  void Form_DblClick() override;
  void Form_KeyDown(std::int16_t& keyCode, std::int16_t& shift) override;
  void Form_KeyPress(std::int16_t& keyAscii) override;
  void Form_MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) override;
  void Form_MouseMove(std::int16_t& button, std::int16_t& shift, float& x, float& y) override;
  void Form_Unload(std::int16_t& cancel) override;
  void Timer_Timer(int timerNumber) override;

  // The pointer position recorded at the last MouseMove that did not close the window, in
  // whole twips; (0, 0) is an empty record. 32 bits wide, so any display size fits.
  std::int32_t LastMouseX = 0;
  std::int32_t LastMouseY = 0;

 private:
  bool InSaverMode() const;
  host::Runtime& App;
  const std::int16_t& currentRunMode_;
};

}  // namespace cover

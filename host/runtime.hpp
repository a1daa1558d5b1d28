// The forms runtime: the application object, the event loop with its timer service, event
// delivery and the handling of run-time errors. A program runs as Run(Main).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "host/basic_types.hpp"
#include "host/drawing/scene_painter.hpp"
#include "host/form.hpp"
#include "host/platform.hpp"
#include "host/run_time_error.hpp"
#include "host/tick_pacer.hpp"
#include "host/trace.hpp"
#include "host/window_manager.hpp"

namespace host {

class Runtime : private EventSink {
 public:
  explicit Runtime(Platform& platform, TraceSink* trace = nullptr);

  // The application object.
  Boolean PrevInstance();
  std::string Command();
  [[noreturn]] void End();
  WindowManager& User32() { return user32_; }
  const WindowManager& User32() const { return user32_; }

  // Calls main once, then runs the event loop while a form is loaded. Returns the exit
  // status: 0 when the program ended (or the platform stopped the run), 1 after a run-time
  // error.
  int Run(const std::function<void()>& main);

  // Records the run mode the program chose, for the trace.
  void NoteRunMode(std::int16_t mode);

  Platform& platform() { return platform_; }
  std::int64_t CurrentTick() const { return tick_; }
  bool Ended() const { return ended_; }
  double ElapsedMs() const;

  bool Tracing(TraceOp op) const { return trace_ != nullptr && trace_->Wants(op); }
  void Trace(TraceOp op, std::initializer_list<TraceField> fields) {
    if (Tracing(op)) WriteTrace(op, fields);
  }

  // Forms register themselves; this runtime runs programs with one form.
  void Attach(Form& form);
  void Detach(Form& form);
  // The form's window is going away, and its drawing with it.
  void FormWindowDestroyed() { painters_.clear(); }

 private:
  void WriteTrace(TraceOp op, std::initializer_list<TraceField> fields);
  void OnInput(const InputEvent& event) override;
  void OnCloseRequest() override;
  void OnExposed(int viewId, const drawing::PixelRect& area) override;
  // Presents a frame when one is due: on the frame grid, or when the platform lost part of a
  // view, resized it, or the views themselves changed.
  void PresentFrameIfDue();
  // One painter per view: views that went away lose theirs, new ones (or a view whose scale
  // changed, or that is seen again) get a fresh one that paints the whole view. True when
  // anything changed.
  bool FollowViews();
  // The form is shown and no view of it can be seen.
  bool NobodySees();
  void TraceFrame(const View& view, const drawing::ScenePainter& painter,
                  std::span<const drawing::PixelRect> damage);
  // Runs code of the program; a run-time error or End stops the program.
  template <typename Code>
  void Dispatch(Code&& code);
  void Fail(const RunTimeError& error);
  void DeliverInput(const InputEvent& event);
  void Finish(int status);

  Platform& platform_;
  TraceSink* trace_;
  WindowManager user32_;
  Form* form_ = nullptr;
  TickPacer pacer_;
  struct ViewPainter {
    View view;
    std::unique_ptr<drawing::ScenePainter> painter;
  };
  std::vector<ViewPainter> painters_;  // in the platform's order of views
  std::int64_t lastFrame_ = -1;        // the frame of the tick last presented
  std::int64_t startNs_ = 0;
  std::int64_t tick_ = 0;
  bool ending_ = false;  // End was called or a run-time error occurred
  bool ended_ = false;
  int status_ = 0;
};

}  // namespace host

// A loaded form with its controls, created from its design data. Programs reach controls
// through short-lived references (LabelRef, TimerRef) obtained anew for every access.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/basic_types.hpp"
#include "host/form_design.hpp"

namespace host {

class Runtime;

// The form's event handlers. Arguments are passed by reference, as the runtime keeps them.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  virtual void Form_Click() {}
  virtual void Form_DblClick() {}
  virtual void Form_KeyDown(std::int16_t& /*keyCode*/, std::int16_t& /*shift*/) {}
  virtual void Form_KeyPress(std::int16_t& /*keyAscii*/) {}
  virtual void Form_MouseDown(std::int16_t& /*button*/, std::int16_t& /*shift*/, float& /*x*/,
                              float& /*y*/) {}
  virtual void Form_MouseMove(std::int16_t& /*button*/, std::int16_t& /*shift*/, float& /*x*/,
                              float& /*y*/) {}
  virtual void Form_Unload(std::int16_t& /*cancel*/) {}
  // The Timer event of the timer with this number.
  virtual void Timer_Timer(int /*timerNumber*/) {}
};

class Form {
 public:
  Form(Runtime& runtime, const FormDesign& design, FormEvents& events);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window and its controls, hidden; timers enabled in the design start counting.
  void Load();
  // Makes the window visible, modeless (loading it first).
  void Show();
  // Delivers the Unload event, then destroys the window and stops its timers.
  void Unload();
  // Writing the caption or reading the handle loads the form first.
  void SetCaption(std::string_view caption);
  Hwnd hWnd();

  class LabelRef {
   public:
    void SetVisible(Boolean value) const;
    float Top() const;
    void SetTop(float value) const;

   private:
    friend class Form;
    LabelRef(Form& form, LabelId id) : form_(form), id_(id) {}
    Form& form_;
    LabelId id_;
  };
  class TimerRef {
   public:
    void SetEnabled(Boolean value) const;

   private:
    friend class Form;
    TimerRef(Form& form, TimerId id) : form_(form), id_(id) {}
    Form& form_;
    TimerId id_;
  };
  LabelRef Label(LabelId id);
  TimerRef Timer(TimerId id);

  // Read-only views for platforms, the front end and tests.
  bool Loaded() const { return loaded_; }
  bool Shown() const { return shown_; }
  const FormDesign& design() const { return design_; }
  const std::string& Caption() const { return caption_; }
  const LabelDesign& LabelDesignOf(std::size_t index) const;
  bool IsLabel(std::size_t index) const;
  float LabelTop(std::size_t index) const { return state_[index].top; }
  Boolean LabelVisible(std::size_t index) const { return state_[index].visible; }
  Boolean ImageVisible(std::size_t index) const { return state_[index].visible; }
  Boolean TimerEnabled(std::size_t index) const { return state_[index].enabled; }
  TwipRect LabelBox(std::size_t index) const;
  // The name of the control that owns a mouse event at (x, y), or the form's own name.
  std::string_view HitTest(float x, float y) const;

 private:
  friend class Runtime;
  // Delivers the Timer events of the timers due in this tick, in ascending timer number.
  void DeliverTick(std::int64_t tick);
  // Destroys the window and its controls with no Unload event (the program is ending anyway).
  void DestroyWithoutEvents();
  FormEvents& events() { return events_; }

  struct ControlState {
    float top = 0;                 // labels
    Boolean visible = False;       // labels and images
    Boolean enabled = False;       // timers
    std::int64_t periodTicks = 0;  // timers
    std::int64_t nextDueTick = 0;  // timers
  };
  void EnsureLoaded();
  void StartTimer(std::size_t index);
  void StopTimer(std::size_t index);

  Runtime& runtime_;
  const FormDesign& design_;
  FormEvents& events_;
  std::vector<ControlState> state_;
  std::vector<std::uint8_t> timerOrder_;  // control indexes in ascending timer number
  std::vector<std::uint8_t> rankOf_;      // a timer's place in timerOrder_, by control index
  std::vector<std::uint8_t> running_;     // the enabled timers' places, ascending
  std::vector<std::uint8_t> due_;         // this tick's due timers (kept to avoid allocating)
  std::string caption_;
  Hwnd hwnd_ = 0;
  bool loaded_ = false;
  bool shown_ = false;
  bool unloading_ = false;
};

}  // namespace host

#include "host/window_manager.hpp"

#include "host/runtime.hpp"

namespace host {

WindowManager::WindowManager(Runtime& runtime)
    : runtime_(runtime), emulation_(runtime.platform().WindowOps()) {
  WindowManagerFunctions* native = runtime.platform().NativeWindowManager();
  functions_ = native != nullptr ? native : &emulation_;
}

Hwnd WindowManager::FindWindowA(const char* className, const char* windowName) {
  const Hwnd result = functions_->FindWindowA(className, windowName);
  runtime_.Trace(TraceOp::kFindWindowA,
                 {{"title", windowName ? TraceValue(std::string_view(windowName)) : nullptr},
                  {"result", std::int64_t{result}}});
  return result;
}

Bool WindowManager::GetClientRect(Hwnd window, Rect* rect) {
  const Bool result = functions_->GetClientRect(window, rect);
  runtime_.Trace(TraceOp::kGetClientRect, {{"hwnd", std::int64_t{window}},
                                           {"right", std::int64_t{rect->right}},
                                           {"bottom", std::int64_t{rect->bottom}}});
  return result;
}

Long WindowManager::GetWindowLongA(Hwnd window, int index) {
  const Long result = functions_->GetWindowLongA(window, index);
  runtime_.Trace(TraceOp::kGetWindowLongA, {{"hwnd", std::int64_t{window}},
                                            {"index", std::int64_t{index}},
                                            {"result", std::int64_t{result}}});
  return result;
}

Long WindowManager::SetWindowLongA(Hwnd window, int index, Long value) {
  runtime_.Trace(TraceOp::kSetWindowLongA, {{"hwnd", std::int64_t{window}},
                                            {"index", std::int64_t{index}},
                                            {"value", std::int64_t{value}}});
  return functions_->SetWindowLongA(window, index, value);
}

Hwnd WindowManager::SetParent(Hwnd child, Hwnd newParent) {
  runtime_.Trace(TraceOp::kSetParent,
                 {{"hwnd", std::int64_t{child}}, {"parent", std::int64_t{newParent}}});
  return functions_->SetParent(child, newParent);
}

Bool WindowManager::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                                 UInt flags) {
  runtime_.Trace(TraceOp::kSetWindowPos, {{"hwnd", std::int64_t{window}},
                                          {"after", std::int64_t{insertAfter}},
                                          {"x", std::int64_t{x}},
                                          {"y", std::int64_t{y}},
                                          {"cx", std::int64_t{cx}},
                                          {"cy", std::int64_t{cy}},
                                          {"flags", std::int64_t{flags}}});
  return functions_->SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
}

int WindowManager::ShowCursor(Bool show) {
  const int count = functions_->ShowCursor(show);
  hiddenByProgram_ += show ? -1 : 1;
  runtime_.Trace(TraceOp::kShowCursor,
                 {{"value", std::int64_t{show}}, {"count", std::int64_t{count}}});
  return count;
}

void WindowManager::RestorePointer() {
  while (hiddenByProgram_ > 0) ShowCursor(-1);
}

}  // namespace host

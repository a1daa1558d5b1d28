#include "host/posix/linux_memory_failure.hpp"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <new>

namespace host::posix {
namespace {

constexpr char kOutOfMemory[] = "vorthane: out of memory\n";
constexpr char kMemoryFault[] = "vorthane: out of memory or stack (a memory fault)\n";

[[noreturn]] void Say(const char* line, std::size_t size) {
  // write, not stdio: nothing here may allocate.
  [[maybe_unused]] const ssize_t ignored = write(2, line, size);
  _exit(1);
}

void OnNewFailure() {
  Say(kOutOfMemory, sizeof kOutOfMemory - 1);
}

[[maybe_unused]] void OnFault(int) {
  Say(kMemoryFault, sizeof kMemoryFault - 1);
}

constexpr std::size_t kThreadStack = 1024 * 1024;

// The fault handler's own stack: the thread's may be the one that ran out.
[[maybe_unused]] alignas(16) char faultStack[64 * 1024];

}  // namespace

void EndWithOneLineOnMemoryFailure() {
  std::set_new_handler(OnNewFailure);
  // A thread's stack is mapped memory of the size RLIMIT_STACK gives by default; a library's
  // thread (the font configuration's parser) needs more than a tight limit leaves.
  pthread_attr_t attributes;
  if (pthread_getattr_default_np(&attributes) == 0) {
    std::size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    if (size < kThreadStack) pthread_attr_setstacksize(&attributes, kThreadStack);
    pthread_setattr_default_np(&attributes);
    pthread_attr_destroy(&attributes);
  }
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer reports faults better than one line
  stack_t stack{};
  stack.ss_sp = faultStack;
  stack.ss_size = sizeof faultStack;
  if (sigaltstack(&stack, nullptr) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnFault;
  action.sa_flags = SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, nullptr);
  sigaction(SIGBUS, &action, nullptr);
#endif
}

const char* OutOfResourcesLine() {
  return "out of memory or another resource of the process";
}

}  // namespace host::posix

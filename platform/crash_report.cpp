#include "platform/crash_report.h"

#include <execinfo.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace platform {
namespace {

struct FatalSignal {
  int number;
  const char* name;
};

constexpr FatalSignal kFatalSignals[] = {{SIGSEGV, "SIGSEGV"}, {SIGBUS, "SIGBUS"},
                                         {SIGILL, "SIGILL"},   {SIGFPE, "SIGFPE"},
                                         {SIGABRT, "SIGABRT"}};

void Write(const char* text) {
  // Nothing more can be done about a failed write to stderr here.
  if (::write(STDERR_FILENO, text, std::strlen(text)) < 0) return;
}

// Only calls that are safe in a signal handler: the heap may be the
// damaged part.
void OnFatalSignal(int number) {
  Write("driftwing: crashed on ");
  for (const FatalSignal& signal : kFatalSignals) {
    if (signal.number == number) Write(signal.name);
  }
  Write("; the stack, innermost first (addr2line -e driftwing OFFSET names a line):\n");
  void* frames[64];
  const int count = backtrace(frames, 64);
  backtrace_symbols_fd(frames, count, STDERR_FILENO);
  // The handler was reset on entry: the signal, now unblocked on return or
  // raised again by abort, ends the process as it would have.
  raise(number);
}

}  // namespace

void ReportCrashes() {
#ifndef DRIFTWING_SANITIZE
  // The first backtrace loads the unwinder, which allocates: do it now,
  // not in the handler.
  void* warm[1];
  backtrace(warm, 1);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  for (const FatalSignal& signal : kFatalSignals) sigaction(signal.number, &action, nullptr);
#endif
}

}  // namespace platform

// A crash names its signal and prints the stack, then ends the process by
// that signal as it would have without the report.
#include "platform/crash_report.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

namespace {

#ifndef DRIFTWING_SANITIZE
TEST(CrashReport, ADamagedHeapAbortPrintsTheStackAndStillEndsByTheSignal) {
  EXPECT_EXIT(
      {
        platform::ReportCrashes();
        std::abort();
      },
      testing::KilledBySignal(SIGABRT), "crashed on SIGABRT; the stack(.|\n)*\\(abort\\+");
}

TEST(CrashReport, ABadAccessPrintsTheStackAndStillEndsByTheSignal) {
  EXPECT_EXIT(
      {
        platform::ReportCrashes();
        volatile int* nowhere = nullptr;
        *nowhere = 1;
      },
      testing::KilledBySignal(SIGSEGV), "crashed on SIGSEGV; the stack");
}
#endif

}  // namespace

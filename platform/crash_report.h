#pragma once

namespace platform {

// On a crash (a bad memory access, an abort such as the C library's on a
// damaged heap, an illegal instruction or an arithmetic fault) prints the
// signal and the stack to stderr before the process dies as it would have,
// so that a crash seen once, on a player's machine or a test run, can be
// traced. Sanitizer builds keep the sanitizers' own, fuller reports.
void ReportCrashes();

}  // namespace platform

#pragma once

namespace platform {

// Sanitizer builds look for leaks at exit. A library unloaded before then
// (Mesa unloads its GL driver with the last context) leaves what it leaked
// with no name, out of reach of the suppressions for system libraries. This
// keeps every library loaded so far mapped until the process ends; it does
// nothing in other builds.
void KeepLoadedLibrariesForLeakCheck();

}  // namespace platform

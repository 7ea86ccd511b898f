#pragma once

namespace platform {

using GlProc = void (*)();
using GlProcLookup = GlProc (*)(const char* name);

// Fetches an OpenGL entry point by name from the current context's driver;
// null when the driver does not have it.
GlProc GetGlProc(const char* name);

}  // namespace platform

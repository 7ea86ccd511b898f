#pragma once
#include <string>

namespace platform {

// The absolute path of the running program, with symbolic links resolved;
// empty when the system does not say.
std::string ExecutablePath();

}  // namespace platform

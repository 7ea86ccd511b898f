#include "platform/gl_proc.h"

#include <SDL.h>

namespace platform {

GlProc GetGlProc(const char* name) {
  return reinterpret_cast<GlProc>(SDL_GL_GetProcAddress(name));
}

}  // namespace platform

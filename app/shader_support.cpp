#include "app/shader_support.h"

#include <cstring>

bool gShadersAvailable = false;

PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB = nullptr;
PFNGLDELETEOBJECTARBPROC glDeleteObjectARB = nullptr;
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB = nullptr;
PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB = nullptr;
PFNGLSHADERSOURCEARBPROC glShaderSourceARB = nullptr;
PFNGLCOMPILESHADERARBPROC glCompileShaderARB = nullptr;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB = nullptr;
PFNGLATTACHOBJECTARBPROC glAttachObjectARB = nullptr;
PFNGLGETINFOLOGARBPROC glGetInfoLogARB = nullptr;
PFNGLLINKPROGRAMARBPROC glLinkProgramARB = nullptr;
PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB = nullptr;
PFNGLUNIFORM4FARBPROC glUniform4fARB = nullptr;
PFNGLUNIFORM1IARBPROC glUniform1iARB = nullptr;

namespace {

template <typename Proc>
bool Fetch(platform::GlProcLookup lookup, const char* name, Proc& proc) {
  proc = reinterpret_cast<Proc>(lookup(name));
  return proc != nullptr;
}

}  // namespace

bool ProbeShaderSupport(const char* extensions, platform::GlProcLookup lookup) {
  static const char* const kRequired[] = {"GL_ARB_shading_language_100", "GL_ARB_vertex_shader",
                                          "GL_ARB_fragment_shader", "GL_ARB_shader_objects"};
  if (!extensions) return false;
  for (const char* name : kRequired) {
    if (!std::strstr(extensions, name)) return false;
  }
  // Every entry point is fetched, even after a missing one.
  bool all = true;
  all &= Fetch(lookup, "glCreateProgramObjectARB", glCreateProgramObjectARB);
  all &= Fetch(lookup, "glDeleteObjectARB", glDeleteObjectARB);
  all &= Fetch(lookup, "glUseProgramObjectARB", glUseProgramObjectARB);
  all &= Fetch(lookup, "glCreateShaderObjectARB", glCreateShaderObjectARB);
  all &= Fetch(lookup, "glShaderSourceARB", glShaderSourceARB);
  all &= Fetch(lookup, "glCompileShaderARB", glCompileShaderARB);
  all &= Fetch(lookup, "glGetObjectParameterivARB", glGetObjectParameterivARB);
  all &= Fetch(lookup, "glAttachObjectARB", glAttachObjectARB);
  all &= Fetch(lookup, "glGetInfoLogARB", glGetInfoLogARB);
  all &= Fetch(lookup, "glLinkProgramARB", glLinkProgramARB);
  all &= Fetch(lookup, "glGetUniformLocationARB", glGetUniformLocationARB);
  all &= Fetch(lookup, "glUniform4fARB", glUniform4fARB);
  all &= Fetch(lookup, "glUniform1iARB", glUniform1iARB);
  return all;
}

bool InitShaderSupport() {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return ProbeShaderSupport(extensions, &platform::GetGlProc);
}

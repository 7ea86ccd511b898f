#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/gl_proc.h"

// Whether the driver offers GLSL through the ARB shader-object extensions,
// and their entry points. Nothing draws with them yet: the picture is the
// fixed-function one on every driver, so the flag has no reader today. It
// is kept, probed once at start-up, as the one test a drawing path that
// uses shaders must pass before it calls any entry point below.
extern bool gShadersAvailable;

extern PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
extern PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
extern PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
extern PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
extern PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
extern PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
extern PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
extern PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
extern PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
extern PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
extern PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
extern PFNGLUNIFORM4FARBPROC glUniform4fARB;
extern PFNGLUNIFORM1IARBPROC glUniform1iARB;

// Probes the current context.
bool InitShaderSupport();

// The probe itself: `extensions` as GL reports them, entry points fetched
// through `lookup`.
bool ProbeShaderSupport(const char* extensions, platform::GlProcLookup lookup);

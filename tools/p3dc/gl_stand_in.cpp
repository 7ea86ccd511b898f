// p3dc checks what it wrote with the game's own P3dModel::Load, which also
// uploads the texture to OpenGL. A command-line tool has no GL context, so
// it stands in for the few GL calls of that upload; a definition here takes
// the place of the library's for this program only. Everything the loader
// checks (the file, its counts and indices, the texture's bitmap) still runs.
#include <GL/gl.h>
#include <GL/glu.h>

void glEnable(GLenum) {}
void glGenTextures(GLsizei n, GLuint* names) {
  static GLuint next = 1;
  for (GLsizei i = 0; i < n; ++i) names[i] = next++;
}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glGetIntegerv(GLenum, GLint* value) { *value = 4; }
void glPixelStorei(GLenum, GLint) {}
GLint gluBuild2DMipmaps(GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) { return 0; }

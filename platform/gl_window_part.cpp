#include "platform/gl_window_part.h"

#include <SDL_opengl.h>

#include <cstring>

namespace {

// The loader's entry points the wrappers call.
PFNGLBINDFRAMEBUFFERPROC realBindFramebuffer = nullptr;
PFNGLBLITFRAMEBUFFERPROC realBlitFramebuffer = nullptr;
PFNGLINVALIDATEFRAMEBUFFERPROC realInvalidateFramebuffer = nullptr;
void(APIENTRY* realViewport)(GLint, GLint, GLsizei, GLsizei) = nullptr;
void(APIENTRY* realScissor)(GLint, GLint, GLsizei, GLsizei) = nullptr;
void(APIENTRY* realReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) = nullptr;

struct State {
  bool active = false;
  GLint x = 0, y = 0;
  GLuint drawn = 0, read = 0;  // the framebuffers bound, as seen by the wrappers
};
State state;

bool DrawsIntoWindow() { return state.active && state.drawn == 0; }
bool ReadsFromWindow() { return state.active && state.read == 0; }

void APIENTRY BindFramebuffer(GLenum target, GLuint framebuffer) {
  if (target == GL_FRAMEBUFFER || target == GL_DRAW_FRAMEBUFFER) state.drawn = framebuffer;
  if (target == GL_FRAMEBUFFER || target == GL_READ_FRAMEBUFFER) state.read = framebuffer;
  realBindFramebuffer(target, framebuffer);
}

void APIENTRY Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (DrawsIntoWindow()) x += state.x, y += state.y;
  realViewport(x, y, width, height);
}

void APIENTRY Scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (DrawsIntoWindow()) x += state.x, y += state.y;
  realScissor(x, y, width, height);
}

void APIENTRY BlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0,
                              GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter) {
  if (ReadsFromWindow()) srcX0 += state.x, srcX1 += state.x, srcY0 += state.y, srcY1 += state.y;
  if (DrawsIntoWindow()) dstX0 += state.x, dstX1 += state.x, dstY0 += state.y, dstY1 += state.y;
  realBlitFramebuffer(srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter);
}

void APIENTRY ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* data) {
  if (ReadsFromWindow()) x += state.x, y += state.y;
  realReadPixels(x, y, width, height, format, type, data);
}

void APIENTRY InvalidateFramebuffer(GLenum target, GLsizei count, const GLenum* attachments) {
  const bool drawTarget = target == GL_FRAMEBUFFER || target == GL_DRAW_FRAMEBUFFER;
  if (drawTarget ? DrawsIntoWindow() : ReadsFromWindow()) return;
  realInvalidateFramebuffer(target, count, attachments);
}

// Keeps the loader's entry point in `real` and gives the wrapper, or null
// when the loader has none.
template <class Fn>
void* Wrap(Fn& real, Fn wrapper, void* loaded) {
  if (!loaded) return nullptr;
  real = reinterpret_cast<Fn>(loaded);
  return reinterpret_cast<void*>(wrapper);
}

}  // namespace

void* WindowPartProcAddress(const char* name, void* (*load)(const char* name)) {
  void* loaded = load(name);
  if (std::strcmp(name, "glBindFramebuffer") == 0) return Wrap(realBindFramebuffer, &BindFramebuffer, loaded);
  if (std::strcmp(name, "glViewport") == 0) return Wrap(realViewport, &Viewport, loaded);
  if (std::strcmp(name, "glScissor") == 0) return Wrap(realScissor, &Scissor, loaded);
  if (std::strcmp(name, "glBlitFramebuffer") == 0) return Wrap(realBlitFramebuffer, &BlitFramebuffer, loaded);
  if (std::strcmp(name, "glReadPixels") == 0) return Wrap(realReadPixels, &ReadPixels, loaded);
  if (std::strcmp(name, "glInvalidateFramebuffer") == 0) {
    return Wrap(realInvalidateFramebuffer, &InvalidateFramebuffer, loaded);
  }
  return loaded;
}

WindowPartScope::WindowPartScope(int x, int y) { state = State{true, x, y, 0, 0}; }

WindowPartScope::~WindowPartScope() { state = State{}; }

#include "platform/gl_window_part.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// What reached the "driver": each call with its arguments.
std::vector<std::string> calls;

void Record(const char* name, std::vector<long> args) {
  std::string line = name;
  for (long a : args) line += " " + std::to_string(a);
  calls.push_back(line);
}

void APIENTRY FakeBind(GLenum target, GLuint fbo) { Record("bind", {long(target), long(fbo)}); }
void APIENTRY FakeViewport(GLint x, GLint y, GLsizei w, GLsizei h) { Record("viewport", {x, y, w, h}); }
void APIENTRY FakeScissor(GLint x, GLint y, GLsizei w, GLsizei h) { Record("scissor", {x, y, w, h}); }
void APIENTRY FakeBlit(GLint a, GLint b, GLint c, GLint d, GLint e, GLint f, GLint g, GLint h, GLbitfield, GLenum) {
  Record("blit", {a, b, c, d, e, f, g, h});
}
void APIENTRY FakeRead(GLint x, GLint y, GLsizei w, GLsizei h, GLenum, GLenum, void*) { Record("read", {x, y, w, h}); }
void APIENTRY FakeInvalidate(GLenum target, GLsizei, const GLenum*) { Record("invalidate", {long(target)}); }
void APIENTRY FakeClear(GLbitfield) { Record("clear", {}); }

void* Load(const char* name) {
  const struct { const char* name; void* fn; } table[] = {
      {"glBindFramebuffer", reinterpret_cast<void*>(&FakeBind)},
      {"glViewport", reinterpret_cast<void*>(&FakeViewport)},
      {"glScissor", reinterpret_cast<void*>(&FakeScissor)},
      {"glBlitFramebuffer", reinterpret_cast<void*>(&FakeBlit)},
      {"glReadPixels", reinterpret_cast<void*>(&FakeRead)},
      {"glInvalidateFramebuffer", reinterpret_cast<void*>(&FakeInvalidate)},
      {"glClear", reinterpret_cast<void*>(&FakeClear)},
  };
  for (const auto& entry : table) {
    if (std::strcmp(entry.name, name) == 0) return entry.fn;
  }
  return nullptr;
}

template <class Fn>
Fn Get(const char* name) {
  return reinterpret_cast<Fn>(WindowPartProcAddress(name, &Load));
}

}  // namespace

// What a renderer of whole framebuffers does in one frame, into its own
// framebuffer object first and then into the window: only what reaches
// framebuffer 0 moves, and only inside the scope.
TEST(WindowPart, MovesOnlyTheDrawingIntoTheWindow) {
  const auto bind = Get<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
  const auto viewport = Get<void(APIENTRY*)(GLint, GLint, GLsizei, GLsizei)>("glViewport");
  const auto scissor = Get<void(APIENTRY*)(GLint, GLint, GLsizei, GLsizei)>("glScissor");
  const auto blit = Get<PFNGLBLITFRAMEBUFFERPROC>("glBlitFramebuffer");
  const auto read = Get<void(APIENTRY*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*)>("glReadPixels");
  const auto invalidate = Get<PFNGLINVALIDATEFRAMEBUFFERPROC>("glInvalidateFramebuffer");
  // Names nobody wraps are the loader's own; missing ones stay missing.
  EXPECT_EQ(WindowPartProcAddress("glClear", &Load), reinterpret_cast<void*>(&FakeClear));
  EXPECT_EQ(WindowPartProcAddress("glDrawBuffers", &Load), nullptr);
  const GLenum color = GL_COLOR;

  calls.clear();
  {
    const WindowPartScope part(960, 432);
    viewport(0, 0, 960, 540);  // framebuffer 0 is bound as the scope starts
    bind(GL_FRAMEBUFFER, 7);
    viewport(0, 0, 480, 270);
    scissor(0, 0, 480, 270);
    invalidate(GL_FRAMEBUFFER, 1, &color);
    bind(GL_FRAMEBUFFER, 0);
    invalidate(GL_FRAMEBUFFER, 1, &color);  // would discard the whole window
    scissor(0, 0, 960, 540);
    bind(GL_READ_FRAMEBUFFER, 7);
    bind(GL_DRAW_FRAMEBUFFER, 0);
    blit(0, 0, 480, 270, 0, 0, 960, 540, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    read(1, 2, 3, 4, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);  // reads framebuffer 7
    bind(GL_READ_FRAMEBUFFER, 0);
    read(1, 2, 3, 4, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
  viewport(0, 0, 960, 540);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "viewport 960 432 960 540",
                       "bind 36160 7",
                       "viewport 0 0 480 270",
                       "scissor 0 0 480 270",
                       "invalidate 36160",
                       "bind 36160 0",
                       "scissor 960 432 960 540",
                       "bind 36008 7",
                       "bind 36009 0",
                       "blit 0 0 480 270 960 432 1920 972",
                       "read 1 2 3 4",
                       "bind 36008 0",
                       "read 961 434 3 4",
                       "viewport 0 0 960 540",
                   }));
}

#pragma once
// Lets a renderer that draws whole framebuffers draw into one rectangle of
// the window's default framebuffer. Such a renderer (the media engine's
// OpenGL render API) sets its own viewport and scissor from (0, 0) on every
// pass, so it cannot be pointed at a part of the window from outside; it
// does take its GL entry points from a loader, and those that place its
// drawing are handed out here as wrappers:
//   glBindFramebuffer             followed, to know when framebuffer 0 is bound
//   glViewport, glScissor         moved by the rectangle's origin on framebuffer 0
//   glBlitFramebuffer             its rectangles on framebuffer 0 moved likewise
//   glReadPixels                  moved likewise when framebuffer 0 is read
//   glInvalidateFramebuffer       dropped on framebuffer 0: the rest of the
//                                 window must survive (it is only a hint)
// Outside a WindowPartScope every wrapper passes its arguments through
// unchanged. Every other name is the loader's own address.
//
// Main thread only, one GL context: the wrappers share one state.
// The address to hand a renderer for `name`: a wrapper for the names above
// (null when `load` has no such entry point), `load(name)` otherwise.
void* WindowPartProcAddress(const char* name, void* (*load)(const char* name));

// While it lives, drawing into framebuffer 0 through the wrappers lands at
// (x, y) of the window (GL's bottom-up coordinates). Framebuffer 0 is
// taken as bound when it starts (for reading and drawing), as the renderer
// binds its target before it draws. Scopes do not nest.
class WindowPartScope {
 public:
  WindowPartScope(int x, int y);
  ~WindowPartScope();
  WindowPartScope(const WindowPartScope&) = delete;
  WindowPartScope& operator=(const WindowPartScope&) = delete;
};

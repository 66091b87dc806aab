#pragma once
// The one table of the OpenGL entry points beyond version 1.1 that the
// compositor and the video layer use. Each platform's GL hands these out
// only through the current context, so they are loaded once per user with
// the window's loader (OpenGL 1.1 itself is linked). Main thread only; the
// pointers are valid while the window's context lives.
#include <SDL_opengl.h>

struct GlFunctions {
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
  PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
  PFNGLACTIVETEXTUREPROC ActiveTexture = nullptr;
  // May be missing on older contexts: called only when present.
  PFNGLUSEPROGRAMPROC UseProgram = nullptr;
  PFNGLBINDBUFFERPROC BindBuffer = nullptr;
  PFNGLBINDVERTEXARRAYPROC BindVertexArray = nullptr;

  using ProcLoader = void* (*)(const char* name);
  // Loads every entry point through `load`. False when one of those needed
  // for framebuffer objects is missing (OpenGL 3.0 or ARB_framebuffer_object).
  bool Load(ProcLoader load);
};

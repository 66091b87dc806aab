#include "platform/gl_functions.h"

namespace {

template <typename Fn>
void LoadProc(Fn& fn, GlFunctions::ProcLoader load, const char* name) {
  fn = reinterpret_cast<Fn>(load(name));
}

}  // namespace

bool GlFunctions::Load(ProcLoader load) {
  LoadProc(GenFramebuffers, load, "glGenFramebuffers");
  LoadProc(DeleteFramebuffers, load, "glDeleteFramebuffers");
  LoadProc(BindFramebuffer, load, "glBindFramebuffer");
  LoadProc(FramebufferTexture2D, load, "glFramebufferTexture2D");
  LoadProc(CheckFramebufferStatus, load, "glCheckFramebufferStatus");
  LoadProc(BlitFramebuffer, load, "glBlitFramebuffer");
  LoadProc(ActiveTexture, load, "glActiveTexture");
  LoadProc(UseProgram, load, "glUseProgram");
  LoadProc(BindBuffer, load, "glBindBuffer");
  LoadProc(BindVertexArray, load, "glBindVertexArray");
  return GenFramebuffers && DeleteFramebuffers && BindFramebuffer && FramebufferTexture2D && CheckFramebufferStatus &&
         BlitFramebuffer && ActiveTexture;
}

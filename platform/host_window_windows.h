#pragma once
// What the Windows video layer needs of the host window beyond
// platform/host_window.h. Main thread only.
#include <windows.h>

// A new hidden child window of the host window for a media engine to draw
// into: class VsVideo, black, clipped by its siblings, its input (and that
// of the windows the engine makes inside it) routed to the host's handlers
// as the host's own. Null while no host window exists. The caller owns the
// window and destroys it once the engine has let go of it.
HWND CreateVideoChildWindow();

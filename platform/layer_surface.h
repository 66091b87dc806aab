#pragma once
// The memory of window-sized cairo surfaces: the compositor's layers, and
// copies the size of the window such as the scaled home backdrop.
//
// A layer is a window's worth of ARGB32 pixels (8 MiB at 1920 x 1080) that
// every frame clears, paints and compares. Made of ordinary 4 KiB pages,
// each first touch of such a surface costs a page fault per page, over two
// thousand of them, and on a virtual machine each can cost ten microseconds
// or more: tens of milliseconds per surface before the first frame. These
// surfaces are mapped on their own and asked for huge pages, so a surface
// faults in a handful of pieces; where the system has none to give, they
// behave as ordinary memory.
#include <cairo.h>

// A cairo image surface of width x height ARGB32 pixels, all 0
// (transparent) as cairo's own start; the memory goes with the surface's
// last reference. A cairo error surface when width or height is not
// positive or the memory cannot be had (check cairo_surface_status).
// Any thread.
cairo_surface_t* CreateLayerSurface(int width, int height);

#pragma once
// Background threads yield to the one that draws: a job that reads a
// catalog of a million channels on both cores would otherwise hold back the
// window's first frame and the frames of video.

// Lowers the calling thread's scheduling priority by a few steps (a nice
// value of 5 more on Linux, one step below normal on Windows). On Linux
// threads it starts later inherit it; Windows starts each thread at normal
// priority. Does nothing where threads have no priority of their own or the
// call fails.
void LowerThisThreadPriority();

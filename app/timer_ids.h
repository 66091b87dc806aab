#pragma once
// The window timers of the application, one id each (HostWindow::SetTimer).
// A timer's owner sets and kills it; Application::OnTimer hands each id to
// its owner.
enum TimerId : int {
  kTickTimer = 1,       // the one-second tick (app/tick.cpp)
  kHoverTimer = 4,      // the Player's hover check, every 50 ms while the video fills the window
  kIconTimer = 8,       // icon downloads have settled: repaint if a missed icon arrived
  kTrackWaitTimer = 9,  // wakes the wait between track-list tries
  kEngineTimer = 10,    // the first frame is on screen: the media engine starts
  kLastChannelTimer = 11,  // the live lists arrived: the last channel may start, after the merge
  kQuestionTimer = 12,     // a reminder was posted: asked between handlers (Application::AskPostedQuestion)
};

// The Windows host window: its loop, and input reaching the handlers from
// every window of it. Needs a display (under Wine, an X server); without one
// the window cannot be made and the tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/host_window.h"
#include "platform/host_window_windows.h"
#include "platform/offscreen_canvas.h"
#include "platform/process.h"
#include "platform/virtual_keys.h"

namespace {

// Wakes the loop of a test that waits with a time limit.
constexpr int kWatchTimer = 99;

class Recorder : public HostEvents {
 public:
  void OnKey(int vk) override { log.push_back("key " + std::to_string(vk)); }
  void OnChar(char16_t ch) override { log.push_back("char " + std::to_string(int(ch))); }
  void OnPointer(const PointerEvent& e) override {
    // The display's own pointer, where the window appeared under it.
    POINT real{};
    GetCursorPos(&real);
    if (e.kind == PointerEvent::Kind::Move && e.x == real.x && e.y == real.y) return;
    static const char* kinds[] = {"move", "down", "up", "double", "wheel"};
    log.push_back(std::string(kinds[int(e.kind)]) + " " + std::to_string(e.x) + "," + std::to_string(e.y) +
                  (e.kind == PointerEvent::Kind::Wheel ? " " + std::to_string(e.wheelNotches) : ""));
  }
  void OnJobMessage(uint32_t id, uintptr_t wparam) override {
    log.push_back("job " + std::to_string(id) + " " + std::to_string(wparam));
  }
  void OnTimer(int id) override {
    if (id != kWatchTimer) log.push_back("timer " + std::to_string(id));
  }
  // Blue all over; the strip layer, when shown, a half-transparent white
  // box at (20, 20)-(120, 60) and an opaque red one at (200, 100)-(210, 110).
  void OnPaintInterface(Canvas& canvas, int, int) override { canvas.Clear(Rgba{0, 0, 1, 1}); }
  bool OnPaintStrips(Canvas& canvas, int, int) override {
    if (!strips) return false;
    canvas.Rectangle(RectF{20, 20, 120, 60});
    canvas.Fill(Rgba{1, 1, 1, 0.5});
    canvas.Rectangle(RectF{200, 100, 210, 110});
    canvas.Fill(Rgba{1, 0, 0, 1});
    return true;
  }
  void OnCloseRequested() override { log.push_back("close"); }
  void OnFramePresented() override { ++frames; }

  std::vector<std::string> log;
  int frames = 0;
  bool strips = false;
};

// A video tile's layer with a window of its own, as the engine's is; it says
// a new picture showed on every second question.
class WindowLayer : public VideoLayer {
 public:
  WindowLayer() : window_(CreateVideoChildWindow()) {}
  ~WindowLayer() override { DestroyWindow(window_); }
  bool Update() override { return ++updates % 2 == 0; }
  void Render(int fbo, int, int) override {
    ++renders;
    EXPECT_EQ(fbo, 0);
  }
  void* OwnWindow() const override { return window_; }
  HWND Window() const { return window_; }

  int updates = 0, renders = 0;

 private:
  HWND window_;
};

HWND ChildOfClass(HWND parent, const wchar_t* name) { return FindWindowExW(parent, nullptr, name, nullptr); }

// Of this thread: test programs run side by side share Wine's window list.
HWND OwnWindowOfClass(const wchar_t* name) {
  struct Search {
    const wchar_t* name;
    HWND found;
  } search{name, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t found[64] = {};
        GetClassNameW(hwnd, found, 64);
        if (wcscmp(found, s->name) != 0) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OwnTopWindow() { return OwnWindowOfClass(L"Vistra43"); }

// One window for every test, as a program has: under Wine the first frame
// starts Direct2D's device, which takes seconds there.
class HostWindowWindows : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    events_ = new Recorder;
    window_ = new HostWindow;
    // An icon file for the window, orange all over.
    const std::filesystem::path icon = std::filesystem::temp_directory_path() / "vistra_host_window_icon.png";
    OffscreenCanvas picture(48, 48);
    picture.Draw().Clear(Rgba{1, 0.5, 0, 1});
    picture.WritePng(icon);
    if (!window_->Create("probe", PathUtf8(icon), events_)) {
      skipReason_ = "no display: " + window_->LastError();
      return;
    }
    window_->RunNestedUntil([] { return events_->frames > 0; });
  }
  static void TearDownTestSuite() {
    delete window_;
    delete events_;
  }

  void SetUp() override {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    top = OwnTopWindow();
    ASSERT_TRUE(top);
    uiHost = ChildOfClass(top, L"VsUiHost");
    ASSERT_TRUE(uiHost);
    ASSERT_GT(events.frames, 0);
    RunUntil([] { return false; }, 50);  // what is left of the test before
    events.log.clear();
  }

  void RunUntil(const std::function<bool()>& done, DWORD limitMs = 20000) {
    const DWORD start = GetTickCount();
    window.SetTimer(kWatchTimer, 25, true);
    window.RunNestedUntil([&] { return done() || GetTickCount() - start > limitMs; });
    window.KillTimer(kWatchTimer);
  }
  void RunUntilLogged(size_t count) {
    RunUntil([&] { return events.log.size() >= count; });
  }

  static inline Recorder* events_ = nullptr;
  static inline HostWindow* window_ = nullptr;
  static inline std::string skipReason_;
  Recorder& events = *events_;
  HostWindow& window = *window_;
  HWND top = nullptr, uiHost = nullptr;
};

// Keys and characters reach OnKey and OnChar from the top window and from
// the interface window; the control characters that come with keys (Enter,
// Escape) are not characters; the close button asks, it does not close.
// The pointer reaches OnPointer in the top window's coordinates, whichever
// window it is over: the interface window, or a video tile's own window
// placed at its rectangle (and hidden, with the interface whole again, when
// the tile goes).
TEST_F(HostWindowWindows, InputFromEveryWindowReachesTheHandlers) {
  {
    PostMessageW(top, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(top, WM_CHAR, L'\r', 0);
    PostMessageW(uiHost, WM_KEYDOWN, VK_F11 - 1, 0);  // F10
    PostMessageW(uiHost, WM_KEYDOWN, VK_SHIFT, 0);
    PostMessageW(uiHost, WM_CHAR, 0x00E9, 0);  // é
    PostMessageW(top, WM_SYSKEYDOWN, VK_NEXT, 0);
    PostMessageW(top, WM_CLOSE, 0, 0);
    RunUntilLogged(5);
    EXPECT_EQ(events.log, (std::vector<std::string>{"key 13", "key 121", "char 233", "key 34", "close"}));
    EXPECT_TRUE(IsWindow(top));
  }
  events.log.clear();
  {
    WindowLayer layer;
    ASSERT_TRUE(layer.Window());
    window.SetVideoTiles({VideoTile{&layer, PixelRect{100, 50, 320, 180}}});
    EXPECT_TRUE(IsWindowVisible(layer.Window()));
    RECT placed{};
    GetWindowRect(layer.Window(), &placed);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.bottom, 230);
    // The interface window lets the video show through at the tile only.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(uiHost, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 150, 100));
    EXPECT_TRUE(PtInRegion(region, 99, 100));
    EXPECT_TRUE(PtInRegion(region, 150, 230));
    DeleteObject(region);

    PostMessageW(uiHost, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    // The system's own move for a window changing under a still pointer.
    PostMessageW(uiHost, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    PostMessageW(layer.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    PostMessageW(layer.Window(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    PostMessageW(layer.Window(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 8));
    POINT screen{40, 30};
    ClientToScreen(top, &screen);
    // A fine wheel: two half notches make one.
    PostMessageW(layer.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), MAKELPARAM(screen.x, screen.y));
    PostMessageW(layer.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), MAKELPARAM(screen.x, screen.y));
    PostMessageW(uiHost, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    PostMessageW(layer.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    RunUntilLogged(7);
    EXPECT_EQ(events.log, (std::vector<std::string>{"move 10,20", "down 105,56", "up 105,56", "double 107,58",
                                                    "wheel 40,30 1", "wheel 40,30 -2", "key 27"}));

    window.SetVideoTiles({});
    EXPECT_FALSE(IsWindowVisible(layer.Window()));
    region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(uiHost, region), ERROR);  // no region: the whole window
    DeleteObject(region);
  }
}

// While a tile shows, its layer is asked for new pictures without any
// wake-up, and each one it reports is rendered (counted); once no tile
// shows, the idle loop asks nothing. The strip layer shows as a pop-up over
// the video the size of its ink, placed where the ink is, and goes when
// nothing is drawn; the pixels read back are the interface with the strips
// over it. Once the first frame is on screen the window has its icon, made
// from the picture file, and says what draws it.
TEST_F(HostWindowWindows, VideoTilesStripsAndIcon) {
  {
    WindowLayer layer;
    window.SetVideoTiles({VideoTile{&layer, PixelRect{0, 0, 64, 36}}});
    RunUntil([&] { return layer.updates >= 6; });
    EXPECT_GE(layer.updates, 6);
    EXPECT_EQ(layer.renders, layer.updates / 2);

    window.SetVideoTiles({});
    const int asked = layer.updates;
    window.SetTimer(1, 300, false);
    RunUntilLogged(1);
    EXPECT_EQ(events.log, std::vector<std::string>{"timer 1"});
    EXPECT_EQ(layer.updates, asked);
  }
  {
    HWND strip = OwnWindowOfClass(L"VsChrome");
    ASSERT_TRUE(strip);
    EXPECT_FALSE(IsWindowVisible(strip));

    events.strips = true;
    window.RequestStripPaint();
    int width = 0, height = 0;
    const std::vector<uint8_t> pixels = window.ReadPixels(width, height);
    EXPECT_TRUE(IsWindowVisible(strip));
    RECT placed{};
    GetWindowRect(strip, &placed);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 20);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right, 210);
    EXPECT_EQ(placed.bottom, 110);
    // The pop-up never takes the focus from the window that gets the keys.
    EXPECT_TRUE(GetWindowLongW(strip, GWL_EXSTYLE) & WS_EX_NOACTIVATE);

    ASSERT_EQ(width, 1920);
    auto at = [&](int x, int y) {
      const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
      return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(5, 5), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(at(205, 105), (std::vector<int>{255, 0, 0}));
    const std::vector<int> mixed = at(50, 40);  // white at half over blue
    EXPECT_NEAR(mixed[0], 128, 2);
    EXPECT_NEAR(mixed[2], 255, 1);

    events.strips = false;
    window.RequestStripPaint();
    window.ReadPixels(width, height);
    EXPECT_FALSE(IsWindowVisible(strip));
  }
  {
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
      const auto icon = reinterpret_cast<HICON>(SendMessageW(top, WM_GETICON, which, 0));
      ASSERT_TRUE(icon) << "icon " << which;
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP colour{};
      GetObjectW(info.hbmColor, sizeof colour, &colour);
      EXPECT_EQ(colour.bmWidth, GetSystemMetrics(which == ICON_BIG ? SM_CXICON : SM_CXSMICON));
      // The picture's colour, not a blank: orange in the middle.
      std::vector<uint32_t> pixels(static_cast<size_t>(colour.bmWidth) * colour.bmHeight);
      HDC dc = GetDC(nullptr);
      BITMAPINFO format{};
      format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = colour.bmWidth;
    format.bmiHeader.biHeight = -colour.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
      GetDIBits(dc, info.hbmColor, 0, colour.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
      ReleaseDC(nullptr, dc);
      const uint32_t middle = pixels[pixels.size() / 2 + colour.bmWidth / 2];
      EXPECT_EQ(middle >> 16 & 0xFF, 0xFFu);
      EXPECT_NEAR(double(middle >> 8 & 0xFF), 0x80, 1);
      EXPECT_EQ(middle & 0xFF, 0u);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(window.GraphicsInfo().rfind("Direct2D / ", 0), 0u) << window.GraphicsInfo();
  }
}

// Job messages from other threads arrive in order on the main thread, the
// ones posted before the loop ran too; timers fire there; a nested loop
// returns when its condition holds. Quit ends the loop with its code,
// whatever still waits (last: the window's loop is over after it).
TEST_F(HostWindowWindows, ZLoopJobMessagesTimersNestedLoopsAndQuit) {
  {
    HostWindow::PostJobMessage(7, 1);
    std::thread poster([] {
      for (uintptr_t i = 2; i <= 4; ++i) HostWindow::PostJobMessage(7, i);
    });
    poster.join();
    window.SetTimer(3, 20, false);
    RunUntilLogged(5);
    EXPECT_EQ(events.log, (std::vector<std::string>{"job 7 1", "job 7 2", "job 7 3", "job 7 4", "timer 3"}));

    // Killed before it is due: never fires. A repeating one fires again.
    window.SetTimer(4, 10, false);
    window.KillTimer(4);
    window.SetTimer(5, 10, true);
    RunUntilLogged(7);
    EXPECT_EQ(events.log.back(), "timer 5");
    EXPECT_EQ(events.log[5], "timer 5");

    window.KillTimer(5);
    window.SetTimer(6, 30, false);
    std::thread([] { HostWindow::PostJobMessage(9, 0); }).join();
    window.RunNestedUntil([&] { return events.log.back() == "timer 6"; });
    EXPECT_NE(std::find(events.log.begin(), events.log.end(), "job 9 0"), events.log.end());
  }
  events.log.clear();
  {
    HostWindow::PostJobMessage(1, 0);
    window.SetTimer(8, 10, true);
    std::thread([] { HostWindow::PostJobMessage(2, 0); }).join();
    window.Quit(5);
    EXPECT_EQ(window.Run(), 5);
    EXPECT_TRUE(window.QuitRequested());
    EXPECT_TRUE(events.log.empty());
  }
}

}  // namespace

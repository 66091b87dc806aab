// The host window on Windows: Win32 windows stacked as the layers of a
// frame, Direct2D painting, the main loop, timers, job messages and input.
// Sections:
//   1. the mailbox shared with other threads, and the one host
//   2. layer bitmaps: what the interface and the strips are painted into
//   3. creation and destruction
//   4. the loop
//   5. input: the window procedures, and the routing from every window
//   6. frames, video tiles, size and full screen
//
// The windows, bottom to top: the top window (class Vistra43, black); the
// video child windows (VsVideo, one per video tile, made by the video
// layers); the interface child window (VsUiHost) over the whole client area,
// its window region cut away at the video tiles; the strip pop-up (VsChrome),
// a layered window owned by the top window that shows the strip layer with
// per-pixel alpha, so clicks pass through it where it is transparent.
#include "platform/host_window.h"

#include <windows.h>
#include <windowsx.h>
#include <d2d1.h>
#include <dwmapi.h>
#include <dxgi.h>
#include <wincodec.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "net/text.h"
#include "platform/clock.h"
#include "platform/desktop_notification.h"
#include "platform/direct2d_canvas_windows.h"
#include "platform/host_window_windows.h"
#include "platform/key_map.h"
#include "platform/loop_mailbox.h"
#include "platform/process.h"
#include "platform/timer_queue.h"

// ---- 1. The mailbox shared with other threads, and the one host -------------

namespace {

constexpr wchar_t kTopClass[] = L"Vistra43";
constexpr wchar_t kVideoClass[] = L"VsVideo";
constexpr wchar_t kUiHostClass[] = L"VsUiHost";
constexpr wchar_t kStripClass[] = L"VsChrome";

// Wakes the loop for the mailbox.
constexpr UINT kWakeMessage = WM_APP + 1;

// A pass handles at most this many queued messages or job messages before it
// draws, so a flood of input or messages cannot hold back the screen.
constexpr int kMaxPerPass = 256;
// While video tiles show, their layers are asked this often whether a new
// picture showed (the engine draws into its own window and tells nobody).
constexpr uint64_t kVideoPollMs = 33;
// How often the windows the engine made inside a video window are looked
// for, to route their input.
constexpr uint64_t kEngineWindowScanMs = 1000;

// Never destroyed: a detached job may post while the process exits.
LoopMailbox& Mailbox() {
  static auto* mailbox = new LoopMailbox;
  return *mailbox;
}

template <typename T>
void ReleaseCom(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace

// The host window's state (HostWindow::Impl is made of it), named outside
// the class so that the window procedures can reach it.
struct HostWindowWin32;
namespace {
// The one host window of the process, for the window procedures.
HostWindowWin32* g_host = nullptr;
}  // namespace

// ---- 2. Layer bitmaps --------------------------------------------------------

namespace {

// A top-down 32-bit DIB with premultiplied alpha that a Direct2D DC render
// target paints into: the interface child window copies it to the screen,
// the strip pop-up hands it to UpdateLayeredWindow, and ReadPixels reads it.
class LayerBitmap {
 public:
  LayerBitmap() = default;
  LayerBitmap(const LayerBitmap&) = delete;
  LayerBitmap& operator=(const LayerBitmap&) = delete;
  ~LayerBitmap() { Free(); }

  bool Resize(int width, int height) {
    if (width == width_ && height == height_ && dc_) return true;
    Free();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = dc_ ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0) : nullptr;
    if (!bitmap_) {
      Free();
      return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return true;
  }

  // Clears the bitmap to transparent and lets `paint` draw on it through
  // `target` (one render target serves every layer bitmap: each device costs
  // its start-up); returns what `paint` returns (false: nothing drawn).
  bool Paint(ID2D1DCRenderTarget*& target, const std::function<bool(Canvas&, int, int)>& paint) {
    if (!dc_ || !MakeTarget(target)) return false;
    const RECT whole{0, 0, width_, height_};
    if (FAILED(target->BindDC(dc_, &whole))) return false;
    target->BeginDraw();
    target->Clear(D2D1::ColorF(0, 0, 0, 0));
    bool drawn = false;
    {
      Direct2DCanvas canvas(target);
      drawn = paint(canvas, width_, height_);
    }
    // A lost device is made again on the next paint.
    if (target->EndDraw() == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) ReleaseCom(target);
    GdiFlush();
    return drawn;
  }

  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Premultiplied BGRA, top row first; null before Resize.
  const uint32_t* Pixels() const { return static_cast<const uint32_t*>(bits_); }

  // The smallest rectangle holding every pixel that is not fully transparent.
  RECT InkBounds() const {
    RECT bounds{width_, height_, 0, 0};
    const uint32_t* pixels = Pixels();
    for (int y = 0; pixels && y < height_; ++y) {
      const uint32_t* row = pixels + static_cast<size_t>(y) * width_;
      for (int x = 0; x < width_; ++x) {
        if (!(row[x] >> 24)) continue;
        bounds.left = std::min<LONG>(bounds.left, x);
        bounds.right = std::max<LONG>(bounds.right, x + 1);
        bounds.top = std::min<LONG>(bounds.top, y);
        bounds.bottom = y + 1;
      }
    }
    return bounds;
  }

 private:
  static bool MakeTarget(ID2D1DCRenderTarget*& target) {
    if (target) return true;
    ID2D1Factory* factory = SharedD2DFactory();
    if (!factory) return false;
    // 96 DPI: the painters' units are pixels, whatever the monitor's scale.
    const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.f, 96.f);
    return SUCCEEDED(factory->CreateDCRenderTarget(&properties, &target));
  }

  void Free() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
  }

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0, height_ = 0;
};

// A picture file decoded through WIC into an icon of size x size pixels;
// null when it cannot be read.
HICON IconFromPicture(const std::wstring& path, int size) {
  IWICImagingFactory* wic = SharedWicFactory();
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICBitmapScaler* scaler = nullptr;
  IWICFormatConverter* converter = nullptr;
  HICON icon = nullptr;
  std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
  const bool decoded =
      wic &&
      SUCCEEDED(wic->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                               &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(wic->CreateBitmapScaler(&scaler)) &&
      SUCCEEDED(scaler->Initialize(frame, size, size, WICBitmapInterpolationModeFant)) &&
      SUCCEEDED(wic->CreateFormatConverter(&converter)) &&
      // Icons take straight (not premultiplied) alpha.
      SUCCEEDED(converter->Initialize(scaler, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                      WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(converter->CopyPixels(nullptr, size * 4, static_cast<UINT>(pixels.size()), pixels.data()));
  if (decoded) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                      nullptr, 0);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    if (colour && mask) {
      std::copy(pixels.begin(), pixels.end(), static_cast<uint8_t*>(bits));
      ICONINFO info{TRUE, 0, 0, mask, colour};
      icon = CreateIconIndirect(&info);
    }
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
  }
  ReleaseCom(converter);
  ReleaseCom(scaler);
  ReleaseCom(frame);
  ReleaseCom(decoder);
  return icon;
}

// "<adapter>" of the first graphics adapter, or "software" when it is
// Windows' software renderer or there is none.
std::string AdapterName() {
  IDXGIFactory1* factory = nullptr;
  IDXGIAdapter1* adapter = nullptr;
  std::string name = "software";
  DXGI_ADAPTER_DESC1 description{};
  if (SUCCEEDED(CreateDXGIFactory1(IID_PPV_ARGS(&factory))) && SUCCEEDED(factory->EnumAdapters1(0, &adapter)) &&
      SUCCEEDED(adapter->GetDesc1(&description)) && !(description.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) &&
      description.Description[0]) {
    name = WideToUtf8(reinterpret_cast<const char16_t*>(description.Description));
  }
  ReleaseCom(adapter);
  ReleaseCom(factory);
  return name;
}

bool RegisterClassOnce(const wchar_t* name, WNDPROC procedure, UINT style, HBRUSH background) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The whole monitor the window is on (the primary one if none).
RECT MonitorRect(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcMonitor;
}

std::string SystemError(const char* what) { return std::string(what) + " failed, error " + std::to_string(GetLastError()); }

}  // namespace

// ---- 3. Creation and destruction --------------------------------------------

struct HostWindowWin32 {
  HostEvents* events = nullptr;
  HWND top = nullptr, uiHost = nullptr, strip = nullptr;
  bool comStarted = false;
  LayerBitmap interfaceLayer, stripLayer;
  ID2D1DCRenderTarget* target = nullptr;  // paints both
  HICON bigIcon = nullptr, smallIcon = nullptr;
  // The desktop notifications' sender, made on the first notice: its icon
  // in the notification area goes before the window does.
  std::string title;
  std::unique_ptr<DesktopNotifier> notifier;
  std::string lastError;
  HostWindow::StartupMarks startup;

  TimerQueue timers;
  bool quit = false;
  int exitCode = 0;

  std::vector<VideoTile> videoTiles;
  std::vector<HWND> shownVideoWindows;
  uint64_t nextVideoPollMs = 0, nextEngineScanMs = 0;
  bool interfaceDirty = true;
  bool stripsDirty = true;
  bool frameWanted = true;
  bool stripShown = false;

  int width = 0, height = 0;  // client area, in pixels
  bool fullScreen = true;
  bool firstFramePresented = false;
  std::string iconPng;
  int wheelRemainder = 0;  // of high-resolution wheels, below one notch
  // Where the last move was delivered, on the screen. Windows also sends a
  // move when a window appears, changes or goes under a pointer that stays
  // put (the strips' pop-up does so on each of its frames); such a move is
  // not the user's and must not keep the Player screen's controls up.
  POINT lastMove{LONG_MIN, LONG_MIN};

  bool CreateWindows(const std::string& title);
  void FinishAfterFirstFrame();
  void SetIcon();
  void Destroy();

  void Pass();
  DWORD WaitMs() const;
  void DeliverJobMessages();
  void FireDueTimers();
  bool VideoShows() const;
  void PollVideo(bool woken);

  LRESULT TopMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  bool HandleInput(HWND from, UINT message, WPARAM wparam, LPARAM lparam);
  void HandlePointer(HWND from, UINT message, WPARAM wparam, LPARAM lparam);
  void RouteEngineWindows();

  void UpdateSize();
  void PlaceVideoWindows();
  void CutInterfaceRegion();
  void ShowStrips();
  void DrawFrame();
  POINT ClientOrigin() const;
};

struct HostWindow::Impl : HostWindowWin32 {};

namespace {

LRESULT CALLBACK TopProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK UiHostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK VideoProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK StripProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace

HostWindow::HostWindow() : impl_(std::make_unique<Impl>()) {}

HostWindow::~HostWindow() { impl_->Destroy(); }

bool HostWindow::Create(const std::string& title, const std::string& iconPng, HostEvents* events) {
  Impl& w = *impl_;
  if (w.top || g_host) return false;
  w.events = events;
  HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
  // Pixels are pixels on every monitor: the painters lay out in pixels.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  w.comStarted = SUCCEEDED(com);
  g_host = &w;
  if (!w.CreateWindows(title)) {
    w.Destroy();
    return false;
  }
  w.iconPng = iconPng;
  w.title = title;
  w.UpdateSize();
  const HWND top = w.top;
  Mailbox().Open([top] { return PostMessageW(top, kWakeMessage, 0, 0) != 0; });
  return true;
}

bool HostWindowWin32::CreateWindows(const std::string& title) {
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (!RegisterClassOnce(kTopClass, TopProc, 0, black) ||
      !RegisterClassOnce(kUiHostClass, UiHostProc, CS_DBLCLKS, nullptr) ||
      !RegisterClassOnce(kVideoClass, VideoProc, CS_OWNDC | CS_DBLCLKS, black) ||
      !RegisterClassOnce(kStripClass, StripProc, 0, nullptr)) {
    lastError = SystemError("RegisterClassExW");
    return false;
  }
  // The window covers the primary display from the start, borderless.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const std::u16string name = Utf8ToWide(title);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  top = CreateWindowExW(0, kTopClass, reinterpret_cast<const wchar_t*>(name.c_str()),
                        WS_POPUP | WS_CLIPCHILDREN, 0, 0, screenWidth, screenHeight, nullptr, nullptr, instance,
                        nullptr);
  if (!top) {
    lastError = SystemError("CreateWindowExW");
    return false;
  }
  startup.windowMs = MsSinceProcessStart();
  RECT client{};
  GetClientRect(top, &client);
  uiHost = CreateWindowExW(0, kUiHostClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, client.right,
                           client.bottom, top, nullptr, instance, nullptr);
  strip = CreateWindowExW(WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kStripClass, nullptr, WS_POPUP, 0, 0,
                          10, 10, top, nullptr, instance, nullptr);
  if (!uiHost || !strip) {
    lastError = SystemError("CreateWindowExW (child)");
    return false;
  }
  // Dark title bar for when F11 gives the window one.
  const BOOL dark = TRUE;
  DwmSetWindowAttribute(top, 20 /* DWMWA_USE_IMMERSIVE_DARK_MODE */, &dark, sizeof dark);
  if (!SharedD2DFactory()) {
    lastError = "Direct2D is not available";
    return false;
  }
  startup.glMs = MsSinceProcessStart();
  ShowWindow(top, SW_SHOW);
  SetForegroundWindow(top);
  return true;
}

// The icon is a picture to decode that a borderless window covering the
// display does not show: it waits until the first frame is on screen.
void HostWindowWin32::FinishAfterFirstFrame() {
  if (firstFramePresented) return;
  firstFramePresented = true;
  SetIcon();
}

void HostWindowWin32::SetIcon() {
  if (iconPng.empty()) return;
  const std::u16string path = Utf8ToWide(iconPng);
  iconPng.clear();
  const std::wstring file(path.begin(), path.end());
  bigIcon = IconFromPicture(file, GetSystemMetrics(SM_CXICON));
  smallIcon = IconFromPicture(file, GetSystemMetrics(SM_CXSMICON));
  if (bigIcon) SendMessageW(top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  if (smallIcon) SendMessageW(top, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void HostWindowWin32::Destroy() {
  if (g_host != this) return;
  Mailbox().Close();
  notifier.reset();
  SetThreadExecutionState(ES_CONTINUOUS);
  if (strip) DestroyWindow(strip);
  if (top) DestroyWindow(top);  // and its children
  top = uiHost = strip = nullptr;
  ReleaseCom(target);
  interfaceLayer.Resize(0, 0);
  stripLayer.Resize(0, 0);
  if (bigIcon) DestroyIcon(bigIcon);
  if (smallIcon) DestroyIcon(smallIcon);
  bigIcon = smallIcon = nullptr;
  g_host = nullptr;
  if (comStarted) CoUninitialize();
  comStarted = false;
}

std::string HostWindow::LastError() const { return impl_->lastError; }
HostWindow::StartupMarks HostWindow::Startup() const { return impl_->startup; }

HWND CreateVideoChildWindow() {
  if (!g_host || !g_host->top) return nullptr;
  HWND video = CreateWindowExW(0, kVideoClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 16, 16,
                               g_host->top, nullptr, GetModuleHandleW(nullptr), nullptr);
  // Below the interface child window, which its region lets it show through.
  if (video) SetWindowPos(video, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return video;
}

// ---- 4. The loop ------------------------------------------------------------

int HostWindow::Run() {
  if (!impl_->top) return impl_->exitCode;
  while (!impl_->quit) impl_->Pass();
  return impl_->exitCode;
}

void HostWindow::RunNestedUntil(const std::function<bool()>& done) {
  if (!impl_->top) return;
  while (!impl_->quit && !done()) impl_->Pass();
}

void HostWindow::Quit(int exitCode) {
  if (impl_->quit) return;
  impl_->quit = true;
  impl_->exitCode = exitCode;
}

bool HostWindow::QuitRequested() const { return impl_->quit; }

void HostWindow::PostJobMessage(uint32_t id, uintptr_t wparam) { Mailbox().Post(LoopMessage{id, wparam}); }

void HostWindow::WakeForVideo() { Mailbox().SignalVideoFrame(); }

void HostWindow::SetTimer(int id, uint32_t periodMs, bool repeating) {
  impl_->timers.Set(id, periodMs, repeating, TickMs());
}

void HostWindow::KillTimer(int id) { impl_->timers.Kill(id); }

// One pass of the loop: sleep until a message or the next deadline, handle
// what is queued, then draw if anything asked for it.
void HostWindowWin32::Pass() {
  const DWORD wait = WaitMs();
  if (wait) MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  for (int i = 0; i < kMaxPerPass && !quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // While the first frame asked for is not drawn yet, job messages wait:
  // what jobs delivered while the window was made merges after the window
  // shows something, not before.
  if (firstFramePresented || !(frameWanted || interfaceDirty || stripsDirty)) DeliverJobMessages();
  FireDueTimers();
  if (!quit) PollVideo(Mailbox().TakeVideoFrame());
  if (!quit && (frameWanted || interfaceDirty || stripsDirty)) DrawFrame();
}

// INFINITE waits for a message only.
DWORD HostWindowWin32::WaitMs() const {
  if (quit || Mailbox().HasWork() || frameWanted || interfaceDirty || stripsDirty) return 0;
  const uint64_t now = TickMs();
  std::optional<uint64_t> until = timers.MsUntilNext(now);
  if (VideoShows()) {
    const uint64_t untilPoll = nextVideoPollMs > now ? nextVideoPollMs - now : 0;
    until = until ? std::min(*until, untilPoll) : untilPoll;
  }
  if (!until) return INFINITE;
  return static_cast<DWORD>(std::min<uint64_t>(*until, 24 * 3600 * 1000));
}

// One message at a time from the shared queue: a handler may open a nested
// loop, which then goes on delivering in order.
void HostWindowWin32::DeliverJobMessages() {
  for (int i = 0; i < kMaxPerPass && !quit; ++i) {
    const std::optional<LoopMessage> message = Mailbox().Take();
    if (!message) return;
    events->OnJobMessage(message->id, message->wparam);
  }
}

void HostWindowWin32::FireDueTimers() {
  const uint64_t now = TickMs();
  while (!quit) {
    const std::optional<int> id = timers.TakeDue(now);
    if (!id) return;
    events->OnTimer(*id);
  }
}

bool HostWindowWin32::VideoShows() const {
  return std::any_of(videoTiles.begin(), videoTiles.end(),
                     [](const VideoTile& tile) { return tile.layer && !tile.rect.empty(); });
}

// The engines draw into their own windows; their layers are asked whether a
// new picture showed when an engine woke the loop and, while tiles show,
// every kVideoPollMs. A layer that says so is "rendered" (it counts
// pictures; the picture itself is already on screen).
void HostWindowWin32::PollVideo(bool woken) {
  const uint64_t now = TickMs();
  const bool shows = VideoShows();
  if (!woken && !(shows && now >= nextVideoPollMs)) return;
  if (shows && now >= nextVideoPollMs) nextVideoPollMs = now + kVideoPollMs;
  for (const VideoTile& tile : std::vector<VideoTile>(videoTiles)) {
    if (quit) return;
    if (tile.layer && tile.layer->Update()) tile.layer->Render(0, tile.rect.w, tile.rect.h);
  }
  if (shows && now >= nextEngineScanMs) {
    nextEngineScanMs = now + kEngineWindowScanMs;
    RouteEngineWindows();
  }
}

// ---- 5. Input ---------------------------------------------------------------

namespace {

Win32KeyModifiers HeldModifiers() {
  auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
  Win32KeyModifiers modifiers;
  modifiers.shift = down(VK_SHIFT);
  modifiers.ctrl = down(VK_CONTROL);
  modifiers.leftAlt = down(VK_LMENU);
  modifiers.rightAlt = down(VK_RMENU);
  modifiers.logo = down(VK_LWIN) || down(VK_RWIN);
  return modifiers;
}

bool IsPointerMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
         message == WM_LBUTTONDBLCLK || message == WM_MOUSEWHEEL;
}

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR;
}

LRESULT CALLBACK TopProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!g_host) return DefWindowProcW(hwnd, message, wparam, lparam);
  return g_host->TopMessage(hwnd, message, wparam, lparam);
}

// The interface child window: shows the interface layer; its input is the
// host's.
LRESULT CALLBACK UiHostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (g_host && g_host->interfaceLayer.Dc()) {
      const RECT& r = paint.rcPaint;
      BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_host->interfaceLayer.Dc(), r.left, r.top,
             SRCCOPY);
    }
    EndPaint(hwnd, &paint);
    return 0;
  }
  if (g_host && g_host->HandleInput(hwnd, message, wparam, lparam)) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// A video child window: black under the engine's picture; its input is the
// host's.
LRESULT CALLBACK VideoProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_host && g_host->HandleInput(hwnd, message, wparam, lparam)) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// The strip pop-up: clicks on its visible parts are the host's (where it is
// transparent they reach the windows below by themselves).
LRESULT CALLBACK StripProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  if (g_host && g_host->HandleInput(hwnd, message, wparam, lparam)) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// The windows the engine makes inside a video window belong to the engine's
// threads: their input is posted to the top window (which handles it on the
// main thread), with points turned into the top window's client coordinates.
// Everything else goes to the window's own procedure.
std::mutex g_engineWindowsMutex;
std::map<HWND, WNDPROC> g_engineWindows;

LRESULT CALLBACK EngineWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_engineWindowsMutex);
    const auto found = g_engineWindows.find(hwnd);
    if (found != g_engineWindows.end()) previous = found->second;
    if (message == WM_NCDESTROY) g_engineWindows.erase(hwnd);
  }
  HWND top = GetAncestor(hwnd, GA_ROOT);
  if (top && (IsKeyMessage(message) || IsPointerMessage(message))) {
    if (IsPointerMessage(message) && message != WM_MOUSEWHEEL) {
      POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      MapWindowPoints(hwnd, top, &point, 1);
      lparam = MAKELPARAM(point.x, point.y);
    }
    PostMessageW(top, message, wparam, lparam);
    return 0;
  }
  if (previous) return CallWindowProcW(previous, hwnd, message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

BOOL CALLBACK RouteEngineWindow(HWND hwnd, LPARAM) {
  if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) return TRUE;  // ours
  std::lock_guard<std::mutex> lock(g_engineWindowsMutex);
  if (g_engineWindows.count(hwnd)) return TRUE;
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EngineWindowProc)));
  if (previous) g_engineWindows[hwnd] = previous;
  return TRUE;
}

}  // namespace

LRESULT HostWindowWin32::TopMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kWakeMessage:
      Mailbox().Rearm();
      return 0;
    case WM_CLOSE:  // the close button, Alt+F4, or the system ending the session
      if (events) events->OnCloseRequested();
      return 0;
    case WM_SIZE:
      if (uiHost) SetWindowPos(uiHost, nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam), SWP_NOZORDER | SWP_NOACTIVATE);
      if (events && top) UpdateSize();
      return 0;
    case WM_MOVE:
      stripsDirty = true;  // the pop-up follows
      return 0;
    case WM_DPICHANGED:
      if (!fullScreen) {
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_DISPLAYCHANGE:  // a new resolution: full screen covers it again
      if (fullScreen) {
        const RECT r = MonitorRect(hwnd);
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_SYSCHAR:  // Alt+letter: no menu to open, and no beep
      return 0;
    default:
      break;
  }
  if (HandleInput(hwnd, message, wparam, lparam)) return 0;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Keys, characters and the pointer from any of the host's windows. False
// for what is not input, or a key left to the system (Alt+F4).
bool HostWindowWin32::HandleInput(HWND from, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!events || quit) return false;
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    const int vk = VirtualKeyFromWin32(static_cast<uint32_t>(wparam), HeldModifiers());
    if (!vk) return message == WM_KEYDOWN;
    events->OnKey(vk);
    return true;
  }
  if (message == WM_CHAR) {
    // Control characters come with their keys (Enter, Escape, Backspace,
    // Ctrl+letter), which OnKey already had.
    const auto unit = static_cast<char16_t>(wparam);
    if (unit >= 0x20 && unit != 0x7F) events->OnChar(unit);
    return true;
  }
  if (message == WM_CAPTURECHANGED) return false;
  if (!IsPointerMessage(message)) return false;
  HandlePointer(from, message, wparam, lparam);
  return true;
}

void HostWindowWin32::HandlePointer(HWND from, UINT message, WPARAM wparam, LPARAM lparam) {
  PointerEvent pointer;
  POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_MOUSEMOVE: {
      POINT onScreen = point;
      ClientToScreen(from, &onScreen);
      if (onScreen.x == lastMove.x && onScreen.y == lastMove.y) return;
      lastMove = onScreen;
      pointer.kind = PointerEvent::Kind::Move;
      break;
    }
    case WM_LBUTTONDOWN:
      pointer.kind = PointerEvent::Kind::Down;
      SetCapture(from);  // the release comes back even off the window
      break;
    // The second press of a double click comes as this instead of a press.
    case WM_LBUTTONDBLCLK:
      pointer.kind = PointerEvent::Kind::DoubleClick;
      SetCapture(from);
      break;
    case WM_LBUTTONUP:
      pointer.kind = PointerEvent::Kind::Up;
      if (GetCapture() == from) ReleaseCapture();
      break;
    case WM_MOUSEWHEEL: {
      wheelRemainder += GET_WHEEL_DELTA_WPARAM(wparam);
      const int notches = wheelRemainder / WHEEL_DELTA;
      wheelRemainder -= notches * WHEEL_DELTA;
      if (notches == 0) return;
      pointer.kind = PointerEvent::Kind::Wheel;
      pointer.wheelNotches = notches;
      ScreenToClient(top, &point);  // the wheel's point is on the screen
      from = top;
      break;
    }
    default:
      return;
  }
  if (from != top) MapWindowPoints(from, top, &point, 1);
  pointer.x = point.x;
  pointer.y = point.y;
  events->OnPointer(pointer);
}

// Subclasses the windows the engines made inside the video windows that are
// not routed yet (engines make them when they start drawing, and again
// after some changes).
void HostWindowWin32::RouteEngineWindows() {
  for (HWND video : shownVideoWindows) {
    if (IsWindow(video)) EnumChildWindows(video, RouteEngineWindow, 0);
  }
}

// ---- 6. Frames, video tiles, size and full screen ---------------------------

void HostWindow::RequestPaint() {
  impl_->interfaceDirty = true;
  impl_->stripsDirty = true;
}

void HostWindow::RequestStripPaint() { impl_->stripsDirty = true; }

// The system keeps the windows' contents and asks for what it lost; the
// interface window shows its layer again whole.
void HostWindow::Invalidate() {
  impl_->frameWanted = true;
  if (impl_->uiHost) RedrawWindow(impl_->uiHost, nullptr, nullptr, RDW_INVALIDATE);
}

int HostWindow::Width() const { return impl_->width; }
int HostWindow::Height() const { return impl_->height; }

bool HostWindow::PointerPosition(int& x, int& y) const {
  POINT point{};
  GetCursorPos(&point);
  if (impl_->top) ScreenToClient(impl_->top, &point);
  x = point.x;
  y = point.y;
  return x >= 0 && y >= 0 && x < impl_->width && y < impl_->height;
}

void HostWindow::SetVideoTiles(std::vector<VideoTile> tiles) {
  Impl& w = *impl_;
  if (tiles == w.videoTiles) return;
  w.videoTiles = std::move(tiles);
  w.PlaceVideoWindows();
  w.CutInterfaceRegion();
  w.nextVideoPollMs = w.nextEngineScanMs = 0;
  w.frameWanted = true;
}

const std::vector<VideoTile>& HostWindow::VideoTiles() const { return impl_->videoTiles; }

// Each tile's own window at the tile's rectangle, at the bottom of the
// children; the engine's windows inside it follow its size. Windows of
// tiles that went are hidden.
void HostWindowWin32::PlaceVideoWindows() {
  std::vector<HWND> shown;
  for (const VideoTile& tile : videoTiles) {
    HWND video = tile.layer ? static_cast<HWND>(tile.layer->OwnWindow()) : nullptr;
    if (!video || tile.rect.empty() || !IsWindow(video)) continue;
    SetWindowPos(video, HWND_BOTTOM, tile.rect.x, tile.rect.y, tile.rect.w, tile.rect.h,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    for (HWND inner = GetWindow(video, GW_CHILD); inner; inner = GetWindow(inner, GW_HWNDNEXT)) {
      SetWindowPos(inner, nullptr, 0, 0, tile.rect.w, tile.rect.h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
    shown.push_back(video);
  }
  for (HWND video : shownVideoWindows) {
    if (std::find(shown.begin(), shown.end(), video) == shown.end() && IsWindow(video)) ShowWindow(video, SW_HIDE);
  }
  shownVideoWindows = std::move(shown);
}

// The interface window shows everywhere but at the video tiles, where the
// video windows below it show through.
void HostWindowWin32::CutInterfaceRegion() {
  if (!uiHost) return;
  HRGN region = CreateRectRgn(0, 0, width, height);
  bool cut = false;
  for (const VideoTile& tile : videoTiles) {
    if (tile.rect.empty()) continue;
    HRGN hole = CreateRectRgn(tile.rect.x, tile.rect.y, tile.rect.x + tile.rect.w, tile.rect.y + tile.rect.h);
    CombineRgn(region, region, hole, RGN_DIFF);
    DeleteObject(hole);
    cut = true;
  }
  if (!cut) {
    DeleteObject(region);
    region = nullptr;
  }
  SetWindowRgn(uiHost, region, TRUE);  // the window owns the region now
}

POINT HostWindowWin32::ClientOrigin() const {
  POINT origin{0, 0};
  if (top) ClientToScreen(top, &origin);
  return origin;
}

// The strip layer goes on screen as a pop-up the size of its ink, with the
// layer's per-pixel alpha; nothing drawn hides it.
void HostWindowWin32::ShowStrips() {
  const RECT ink = stripLayer.InkBounds();
  if (ink.right <= ink.left || ink.bottom <= ink.top) {
    if (stripShown) ShowWindow(strip, SW_HIDE);
    stripShown = false;
    return;
  }
  const POINT origin = ClientOrigin();
  POINT at{origin.x + ink.left, origin.y + ink.top};
  SIZE size{ink.right - ink.left, ink.bottom - ink.top};
  POINT from{ink.left, ink.top};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(strip, nullptr, &at, &size, stripLayer.Dc(), &from, 0, &blend, ULW_ALPHA);
  if (!stripShown) {
    SetWindowPos(strip, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  stripShown = true;
}

void HostWindowWin32::DrawFrame() {
  UpdateSize();
  // Cleared before painting: a painter's RequestPaint schedules the next frame.
  if (interfaceDirty) {
    interfaceDirty = false;
    if (interfaceLayer.Resize(width, height)) {
      interfaceLayer.Paint(target, [this](Canvas& canvas, int w, int h) {
        events->OnPaintInterface(canvas, w, h);
        return true;
      });
      InvalidateRect(uiHost, nullptr, FALSE);
      UpdateWindow(uiHost);
    }
  }
  if (stripsDirty) {
    stripsDirty = false;
    bool drawn = false;
    if (stripLayer.Resize(width, height)) {
      drawn = stripLayer.Paint(target, [this](Canvas& canvas, int w, int h) { return events->OnPaintStrips(canvas, w, h); });
    }
    if (drawn) {
      ShowStrips();
    } else if (stripShown) {
      ShowWindow(strip, SW_HIDE);
      stripShown = false;
    }
  }
  frameWanted = false;
  events->OnFramePresented();
  FinishAfterFirstFrame();
}

void HostWindowWin32::UpdateSize() {
  RECT client{};
  GetClientRect(top, &client);
  const int w = client.right, h = client.bottom;
  if (w <= 0 || h <= 0 || (w == width && h == height)) return;
  width = w;
  height = h;
  CutInterfaceRegion();
  interfaceDirty = stripsDirty = frameWanted = true;
  events->OnResize(w, h);
}

void* HostWindow::GlProcAddress(const char*) { return nullptr; }

void HostWindow::MakeContextCurrent() {}

std::string HostWindow::GraphicsInfo() const {
  if (!impl_->top) return {};
  return "Direct2D / " + AdapterName();
}

std::vector<uint8_t> HostWindow::ReadPixels(int& width, int& height) {
  Impl& w = *impl_;
  std::vector<uint8_t> pixels;
  width = height = 0;
  if (!w.top) return pixels;
  w.DrawFrame();
  const uint32_t* ui = w.interfaceLayer.Pixels();
  const uint32_t* strips = w.stripShown ? w.stripLayer.Pixels() : nullptr;
  if (!ui) return pixels;
  width = w.interfaceLayer.Width();
  height = w.interfaceLayer.Height();
  const size_t count = static_cast<size_t>(width) * height;
  pixels.resize(count * 4);
  // What the screen shows of the two layers: the interface over black (the
  // video windows are the engines' and are not read), the strips over it.
  for (size_t i = 0; i < count; ++i) {
    uint32_t colour = ui[i];
    if (strips && strips[i] >> 24) {
      const uint32_t s = strips[i], keep = 255 - (s >> 24);
      uint32_t mixed = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel = ((s >> shift) & 0xFF) + ((colour >> shift) & 0xFF) * keep / 255;
        mixed |= std::min<uint32_t>(channel, 255) << shift;
      }
      colour = mixed;
    }
    pixels[i * 4 + 0] = static_cast<uint8_t>(colour >> 16);
    pixels[i * 4 + 1] = static_cast<uint8_t>(colour >> 8);
    pixels[i * 4 + 2] = static_cast<uint8_t>(colour);
    pixels[i * 4 + 3] = 255;
  }
  return pixels;
}

// F11: full screen (a borderless pop-up over the monitor) <-> a maximized
// window with a (dark) title bar.
void HostWindow::ToggleMaximized() {
  Impl& w = *impl_;
  if (!w.top) return;
  if (w.fullScreen) {
    SetWindowLongPtrW(w.top, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE);
    SetWindowPos(w.top, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(w.top, SW_MAXIMIZE);
  } else {
    ShowWindow(w.top, SW_RESTORE);
    SetWindowLongPtrW(w.top, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE);
    const RECT r = MonitorRect(w.top);
    SetWindowPos(w.top, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
  }
  w.fullScreen = !w.fullScreen;
  w.frameWanted = true;  // the loop picks up the new size before drawing
}

// The strip pop-up (owned by the top window) counts as the window too.
bool HostWindow::Focused() const {
  if (!impl_->top) return false;
  HWND foreground = GetForegroundWindow();
  return foreground && GetAncestor(foreground, GA_ROOTOWNER) == impl_->top;
}

bool HostWindow::Notify(const std::string& title, const std::string& body) {
  HostWindowWin32& w = *impl_;
  if (!w.top) return false;
  if (!w.notifier) w.notifier = std::make_unique<DesktopNotifier>(w.title, std::string(), w.top);
  return w.notifier->Notify(title, body);
}

void HostWindow::KeepScreenAwake(bool awake) {
  if (!impl_->top) return;
  SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

#include "platform/direct2d_canvas_windows.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <mutex>
#include <numbers>

// Sections: factories; fonts; pictures; canvas (fill and clip, paths,
// pictures, text).

using Microsoft::WRL::ComPtr;

// ---------------------------------------------------------------------------
// Factories

ID2D1Factory1* SharedD2DFactory() {
  static ID2D1Factory1* const factory = [] {
    ID2D1Factory1* made = nullptr;
    D2D1_FACTORY_OPTIONS options{D2D1_DEBUG_LEVEL_NONE};
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory1), &options,
                                 reinterpret_cast<void**>(&made)))) {
      return static_cast<ID2D1Factory1*>(nullptr);
    }
    return made;
  }();
  return factory;
}

IDWriteFactory2* SharedDWriteFactory() {
  static IDWriteFactory2* const factory = [] {
    IUnknown* made = nullptr;
    if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory2), &made))) {
      return static_cast<IDWriteFactory2*>(nullptr);
    }
    return static_cast<IDWriteFactory2*>(made);
  }();
  return factory;
}

IWICImagingFactory* SharedWicFactory() {
  static IWICImagingFactory* const factory = [] {
    // Decoding runs on threads that never initialised COM, and the painting
    // thread may want a single-threaded apartment of its own: keeping the
    // process's multi-threaded apartment alive lets any thread make and use
    // the (free-threaded) imaging objects without touching its own COM state.
    CO_MTA_USAGE_COOKIE cookie{};
    CoIncrementMTAUsage(&cookie);
    IWICImagingFactory* made = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&made)))) {
      return static_cast<IWICImagingFactory*>(nullptr);
    }
    return made;
  }();
  return factory;
}

// ---------------------------------------------------------------------------
// Fonts

namespace {

std::wstring Widened(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

IDWriteFontCollection* SystemFonts() {
  static IDWriteFontCollection* const fonts = [] {
    IDWriteFontCollection* collection = nullptr;
    IDWriteFactory2* factory = SharedDWriteFactory();
    if (!factory || FAILED(factory->GetSystemFontCollection(&collection, FALSE))) return collection;
    return collection;
  }();
  return fonts;
}

// The regular face of `family` when the system has it.
ComPtr<IDWriteFont> RegularFontOf(const wchar_t* family) {
  IDWriteFontCollection* fonts = SystemFonts();
  UINT32 index = 0;
  BOOL exists = FALSE;
  if (!fonts || FAILED(fonts->FindFamilyName(family, &index, &exists)) || !exists) return nullptr;
  ComPtr<IDWriteFontFamily> found;
  ComPtr<IDWriteFont> font;
  if (FAILED(fonts->GetFontFamily(index, &found)) ||
      FAILED(found->GetFirstMatchingFont(DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                         DWRITE_FONT_STYLE_NORMAL, &font))) {
    return nullptr;
  }
  return font;
}

bool Installed(const wchar_t* family) { return RegularFontOf(family) != nullptr; }

bool HasCharacter(const wchar_t* family, UINT32 c) {
  ComPtr<IDWriteFont> font = RegularFontOf(family);
  BOOL has = FALSE;
  return font && SUCCEEDED(font->HasCharacter(c, &has)) && has;
}

std::wstring Resolve() {
  std::string_view list = kFontFamilies;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string_view family = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    while (!family.empty() && family.front() == ' ') family.remove_prefix(1);
    while (!family.empty() && family.back() == ' ') family.remove_suffix(1);
    const std::wstring wide = Widened(family);
    if (!wide.empty() && Installed(wide.c_str())) return wide;
  }
  // None of the list (generic names such as "sans-serif" are no family
  // here): the face the system draws its own dialogs in, then any face.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
      Installed(metrics.lfMessageFont.lfFaceName)) {
    return metrics.lfMessageFont.lfFaceName;
  }
  for (const wchar_t* family : {L"Tahoma", L"Arial", L"Liberation Sans", L"DejaVu Sans"}) {
    if (Installed(family)) return family;
  }
  IDWriteFontCollection* fonts = SystemFonts();
  ComPtr<IDWriteFontFamily> first;
  ComPtr<IDWriteLocalizedStrings> names;
  UINT32 length = 0;
  if (!fonts || fonts->GetFontFamilyCount() == 0 || FAILED(fonts->GetFontFamily(0, &first)) ||
      FAILED(first->GetFamilyNames(&names)) || FAILED(names->GetStringLength(0, &length))) {
    return L"Arial";
  }
  std::wstring name(length + 1, L'\0');
  names->GetString(0, name.data(), length + 1);
  name.resize(length);
  return name;
}

// The scripts the interface's languages and channel names are written in,
// each with the families that usually carry it, best first; a family is
// taken when it has the script's sample character.
struct ScriptFaces {
  std::vector<DWRITE_UNICODE_RANGE> ranges;
  UINT32 sample;
  std::vector<const wchar_t*> families;
};

const std::vector<ScriptFaces>& Scripts() {
  static const std::vector<ScriptFaces> scripts = {
      {{{0x0000, 0x024F}, {0x1E00, 0x1EFF}, {0x2000, 0x206F}, {0x20A0, 0x20CF}},
       0x0151,  // ő
       {L"Segoe UI", L"Noto Sans", L"DejaVu Sans", L"Arial", L"Liberation Sans", L"Tahoma"}},
      {{{0x0370, 0x03FF}, {0x1F00, 0x1FFF}},
       0x03A9,  // Ω
       {L"Segoe UI", L"Noto Sans", L"DejaVu Sans", L"Arial", L"Liberation Sans", L"Tahoma"}},
      {{{0x0400, 0x052F}},
       0x0416,  // Ж
       {L"Segoe UI", L"Noto Sans", L"DejaVu Sans", L"Arial", L"Liberation Sans", L"Tahoma"}},
      {{{0x0590, 0x05FF}, {0xFB1D, 0xFB4F}},
       0x05D0,  // א
       {L"Segoe UI", L"Noto Sans Hebrew", L"DejaVu Sans", L"Arial", L"Tahoma", L"FreeSans"}},
      {{{0x0600, 0x06FF}, {0x0750, 0x077F}, {0x08A0, 0x08FF}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFF}},
       0x0639,  // ع
       {L"Segoe UI", L"Noto Sans Arabic", L"Noto Naskh Arabic", L"DejaVu Sans", L"Arial", L"Tahoma"}},
      {{{0x0900, 0x097F}},
       0x0915,  // क
       {L"Nirmala UI", L"Mangal", L"Noto Sans Devanagari", L"Lohit Devanagari", L"FreeSans"}},
      {{{0x0E00, 0x0E7F}},
       0x0E01,  // ก
       {L"Leelawadee UI", L"Tahoma", L"Noto Sans Thai", L"Loma", L"FreeSerif"}},
      {{{0x1100, 0x11FF}, {0x3130, 0x318F}, {0xAC00, 0xD7AF}},
       0xD55C,  // 한
       {L"Malgun Gothic", L"Noto Sans CJK KR", L"Noto Sans KR", L"Droid Sans Fallback", L"UnDotum"}},
      {{{0x2E80, 0x2FDF}, {0x3000, 0x312F}, {0x3190, 0x31FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
        {0xF900, 0xFAFF}, {0xFF00, 0xFFEF}, {0x20000, 0x2FA1F}},
       0x4E2D,  // 中
       {L"Microsoft YaHei UI", L"Microsoft YaHei", L"Yu Gothic UI", L"Noto Sans CJK SC", L"Noto Sans SC",
        L"Droid Sans Fallback", L"WenQuanYi Micro Hei", L"SimSun", L"MS Gothic"}},
  };
  return scripts;
}

IDWriteFontFallback* BuildFallback() {
  IDWriteFactory2* factory = SharedDWriteFactory();
  ComPtr<IDWriteFontFallbackBuilder> builder;
  if (!factory || FAILED(factory->CreateFontFallbackBuilder(&builder))) return nullptr;
  for (const ScriptFaces& script : Scripts()) {
    std::vector<const wchar_t*> present;
    for (const wchar_t* family : script.families) {
      if (HasCharacter(family, script.sample)) present.push_back(family);
    }
    if (present.empty()) continue;
    builder->AddMapping(script.ranges.data(), static_cast<UINT32>(script.ranges.size()), present.data(),
                        static_cast<UINT32>(present.size()), nullptr, nullptr, nullptr, 1.0f);
  }
  // Then what the system itself knows (symbols, emoji, other scripts), and
  // last every installed face of wide coverage, for a system whose own
  // fallback names faces it does not have.
  ComPtr<IDWriteFontFallback> system;
  if (SUCCEEDED(factory->GetSystemFontFallback(&system)) && system) builder->AddMappings(system.Get());
  std::vector<const wchar_t*> wide;
  const std::wstring& base = ResolvedFontFamily();
  wide.push_back(base.c_str());
  for (const wchar_t* family : {L"Segoe UI Symbol", L"Segoe UI Emoji", L"DejaVu Sans", L"Droid Sans Fallback",
                                L"Noto Sans Symbols", L"Arial Unicode MS"}) {
    if (Installed(family)) wide.push_back(family);
  }
  const DWRITE_UNICODE_RANGE everything{0, 0x10FFFF};
  builder->AddMapping(&everything, 1, wide.data(), static_cast<UINT32>(wide.size()), nullptr, nullptr, nullptr,
                      1.0f);
  IDWriteFontFallback* fallback = nullptr;
  if (FAILED(builder->CreateFontFallback(&fallback))) return nullptr;
  return fallback;
}

}  // namespace

const std::wstring& ResolvedFontFamily() {
  static const std::wstring family = Resolve();
  return family;
}

IDWriteFontFallback* SharedFontFallback() {
  static IDWriteFontFallback* const fallback = BuildFallback();
  return fallback;
}

// ---------------------------------------------------------------------------
// Pictures

WicPicture::WicPicture(ComPtr<IWICBitmap> bitmap) : bitmap_(std::move(bitmap)) {
  UINT w = 0, h = 0;
  if (bitmap_ && SUCCEEDED(bitmap_->GetSize(&w, &h))) {
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
  }
}

ID2D1Bitmap* WicPicture::DeviceBitmap(ID2D1RenderTarget* target) const {
  if (device_ && deviceTarget_.Get() == target) return device_.Get();
  device_.Reset();
  deviceTarget_.Reset();
  if (!bitmap_ || FAILED(target->CreateBitmapFromWicBitmap(bitmap_.Get(), nullptr, &device_))) return nullptr;
  // The target is held with its bitmap, so a later target can never be
  // mistaken for it by its address.
  deviceTarget_ = target;
  return device_.Get();
}

// ---------------------------------------------------------------------------
// Canvas

namespace {

D2D1_COLOR_F ColourOf(Rgba c) {
  return D2D1_COLOR_F{static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b),
                      static_cast<float>(c.a)};
}

D2D1_RECT_F RectOf(const RectF& r) {
  return D2D1_RECT_F{static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
                     static_cast<float>(r.bottom)};
}

RectF Intersection(const RectF& a, const RectF& b) {
  RectF r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// Butt caps with mitred joins, or round both; made once for the process.
ID2D1StrokeStyle* StrokeStyleOf(LineEnds ends) {
  static ID2D1StrokeStyle* styles[2] = {nullptr, nullptr};
  static std::once_flag once;
  std::call_once(once, [] {
    ID2D1Factory1* factory = SharedD2DFactory();
    if (!factory) return;
    const auto make = [factory](D2D1_CAP_STYLE cap, D2D1_LINE_JOIN join) {
      ID2D1StrokeStyle* style = nullptr;
      const D2D1_STROKE_STYLE_PROPERTIES properties{cap, cap, cap, join, 10.0f, D2D1_DASH_STYLE_SOLID, 0.0f};
      factory->CreateStrokeStyle(&properties, nullptr, 0, &style);
      return style;
    };
    styles[0] = make(D2D1_CAP_STYLE_FLAT, D2D1_LINE_JOIN_MITER);
    styles[1] = make(D2D1_CAP_STYLE_ROUND, D2D1_LINE_JOIN_ROUND);
  });
  return styles[ends == LineEnds::Round ? 1 : 0];
}

}  // namespace

Direct2DCanvas::Direct2DCanvas(ID2D1RenderTarget* target) : target_(target) {
  target_->SetDpi(96.0f, 96.0f);
  target_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
  target_->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
}

Direct2DCanvas::~Direct2DCanvas() {
  // Clips a painter left pushed would unbalance the caller's EndDraw.
  for (size_t i = 0; i < clips_.size(); ++i) target_->PopAxisAlignedClip();
}

ID2D1SolidColorBrush* Direct2DCanvas::Brush(Rgba colour) {
  if (!brush_) target_->CreateSolidColorBrush(ColourOf(colour), &brush_);
  if (brush_) brush_->SetColor(ColourOf(colour));
  return brush_.Get();
}

void Direct2DCanvas::Clear(Rgba colour) { target_->Clear(ColourOf(colour)); }

void Direct2DCanvas::Erase(const RectF& rect) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  // Clearing ignores blending, and an axis-aligned clip bounds it.
  target_->PushAxisAlignedClip(RectOf(rect), D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
  target_->Clear(D2D1_COLOR_F{0, 0, 0, 0});
  target_->PopAxisAlignedClip();
}

// --- Paths -----------------------------------------------------------------

void Direct2DCanvas::BeginFigureAt(Point p) {
  figures_.push_back(Figure{p, {}, {}, false});
  hasPoint_ = true;
  current_ = p;
}

void Direct2DCanvas::MoveTo(double x, double y) { BeginFigureAt(Point{float(x), float(y)}); }

void Direct2DCanvas::LineTo(double x, double y) {
  const Point p{float(x), float(y)};
  if (!hasPoint_) {
    // No current point: the line only places it (as the drawing library on
    // the other system does).
    BeginFigureAt(p);
    return;
  }
  figures_.back().points.push_back(p);
  figures_.back().curve.push_back(false);
  current_ = p;
}

void Direct2DCanvas::AddCurve(Point c1, Point c2, Point end) {
  Figure& figure = figures_.back();
  figure.points.insert(figure.points.end(), {c1, c2, end});
  figure.curve.push_back(true);
  current_ = end;
}

void Direct2DCanvas::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (!hasPoint_) BeginFigureAt(Point{float(x1), float(y1)});
  AddCurve(Point{float(x1), float(y1)}, Point{float(x2), float(y2)}, Point{float(x3), float(y3)});
}

void Direct2DCanvas::Arc(double cx, double cy, double radius, double fromAngle, double toAngle) {
  if (!std::isfinite(fromAngle) || !std::isfinite(toAngle) || !std::isfinite(radius)) return;
  // Clockwise on screen: the end angle is brought past the start.
  constexpr double kTurn = 2 * std::numbers::pi;
  if (toAngle < fromAngle) toAngle += std::ceil((fromAngle - toAngle) / kTurn) * kTurn;
  toAngle = std::min(toAngle, fromAngle + 2 * kTurn);
  const Point start{float(cx + radius * std::cos(fromAngle)), float(cy + radius * std::sin(fromAngle))};
  if (hasPoint_) {
    LineTo(start.x, start.y);
  } else {
    BeginFigureAt(start);
  }
  // Cubic pieces of at most a quarter turn each.
  const int pieces = std::max(1, static_cast<int>(std::ceil((toAngle - fromAngle) / (std::numbers::pi / 2) - 1e-9)));
  const double step = (toAngle - fromAngle) / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4) * radius;
  for (int i = 0; i < pieces; ++i) {
    const double a = fromAngle + i * step, b = a + step;
    const double ax = cx + radius * std::cos(a), ay = cy + radius * std::sin(a);
    const double bx = cx + radius * std::cos(b), by = cy + radius * std::sin(b);
    AddCurve(Point{float(ax - k * std::sin(a)), float(ay + k * std::cos(a))},
             Point{float(bx + k * std::sin(b)), float(by - k * std::cos(b))}, Point{float(bx), float(by)});
  }
}

void Direct2DCanvas::ClosePath() {
  if (!hasPoint_) return;
  figures_.back().closed = true;
  // The current point goes back to the start: a line drawn next begins a
  // new figure there.
  const Point start = figures_.back().start;
  BeginFigureAt(start);
}

void Direct2DCanvas::NewFigure() { hasPoint_ = false; }

void Direct2DCanvas::ClearPath() {
  figures_.clear();
  hasPoint_ = false;
}

void Direct2DCanvas::Rectangle(const RectF& rect) {
  BeginFigureAt(Point{float(rect.left), float(rect.top)});
  LineTo(rect.right, rect.top);
  LineTo(rect.right, rect.bottom);
  LineTo(rect.left, rect.bottom);
  figures_.back().closed = true;
  hasPoint_ = false;
}

void Direct2DCanvas::Ellipse(double cx, double cy, double rx, double ry) {
  constexpr double k = 0.5522847498307936;  // 4/3 tan(pi/8): a quarter circle as one cubic
  const auto at = [&](double x, double y) { return Point{float(cx + x * rx), float(cy + y * ry)}; };
  BeginFigureAt(at(1, 0));
  AddCurve(at(1, k), at(k, 1), at(0, 1));
  AddCurve(at(-k, 1), at(-1, k), at(-1, 0));
  AddCurve(at(-1, -k), at(-k, -1), at(0, -1));
  AddCurve(at(k, -1), at(1, -k), at(1, 0));
  figures_.back().closed = true;
  hasPoint_ = false;
}

ComPtr<ID2D1PathGeometry> Direct2DCanvas::TakePath() {
  std::vector<Figure> figures;
  figures.swap(figures_);
  hasPoint_ = false;
  ID2D1Factory1* factory = SharedD2DFactory();
  ComPtr<ID2D1PathGeometry> path;
  ComPtr<ID2D1GeometrySink> sink;
  if (!factory || FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return nullptr;
  sink->SetFillMode(D2D1_FILL_MODE_WINDING);
  for (const Figure& figure : figures) {
    if (figure.curve.empty()) continue;
    sink->BeginFigure(D2D1_POINT_2F{figure.start.x, figure.start.y}, D2D1_FIGURE_BEGIN_FILLED);
    size_t p = 0;
    for (const bool curve : figure.curve) {
      const Point* at = &figure.points[p];
      if (curve) {
        sink->AddBezier(D2D1_BEZIER_SEGMENT{{at[0].x, at[0].y}, {at[1].x, at[1].y}, {at[2].x, at[2].y}});
        p += 3;
      } else {
        sink->AddLine(D2D1_POINT_2F{at[0].x, at[0].y});
        p += 1;
      }
    }
    sink->EndFigure(figure.closed ? D2D1_FIGURE_END_CLOSED : D2D1_FIGURE_END_OPEN);
  }
  if (FAILED(sink->Close())) return nullptr;
  return path;
}

void Direct2DCanvas::Fill(Rgba colour) {
  ComPtr<ID2D1PathGeometry> path = TakePath();
  if (ID2D1SolidColorBrush* brush = Brush(colour); path && brush) target_->FillGeometry(path.Get(), brush);
}

void Direct2DCanvas::Stroke(Rgba colour, double width, LineEnds ends) {
  // Some Direct2D implementations (Wine's) draw every end flat: an opaque
  // stroke gets a disc on each open end as well, which a round cap covers
  // exactly where it is drawn.
  std::vector<Point> openEnds;
  if (ends == LineEnds::Round && colour.a >= 1) {
    for (const Figure& figure : figures_) {
      if (figure.closed || figure.points.empty()) continue;
      openEnds.push_back(figure.start);
      openEnds.push_back(figure.points.back());
    }
  }
  ComPtr<ID2D1PathGeometry> path = TakePath();
  ID2D1SolidColorBrush* brush = Brush(colour);
  if (!path || !brush) return;
  target_->DrawGeometry(path.Get(), brush, static_cast<float>(width), StrokeStyleOf(ends));
  const float radius = static_cast<float>(width / 2);
  for (const Point& p : openEnds) {
    target_->FillEllipse(D2D1_ELLIPSE{D2D1_POINT_2F{p.x, p.y}, radius, radius}, brush);
  }
}

// --- Clip ------------------------------------------------------------------

void Direct2DCanvas::PushClip(const RectF& rect) {
  RectF box = Intersection(ClipBox(), rect);
  target_->PushAxisAlignedClip(RectOf(box), D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
  clips_.push_back(box);
}

void Direct2DCanvas::PopClip() {
  if (clips_.empty()) return;
  target_->PopAxisAlignedClip();
  clips_.pop_back();
}

RectF Direct2DCanvas::ClipBox() const {
  if (!clips_.empty()) return clips_.back();
  const D2D1_SIZE_F size = target_->GetSize();
  return RectF{0, 0, size.width, size.height};
}

// --- Pictures --------------------------------------------------------------

void Direct2DCanvas::DrawPicture(const Picture& picture, const RectF& rect, double opacity) {
  if (picture.Width() <= 0 || picture.Height() <= 0 || rect.Width() <= 0 || rect.Height() <= 0) return;
  ID2D1Bitmap* bitmap = static_cast<const WicPicture&>(picture).DeviceBitmap(target_);
  if (!bitmap) return;
  target_->DrawBitmap(bitmap, RectOf(rect), static_cast<float>(std::clamp(opacity, 0.0, 1.0)),
                      D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
}

// --- Text ------------------------------------------------------------------

IDWriteTextFormat* Direct2DCanvas::FormatOf(const FontFace& face) {
  for (const auto& [known, format] : formats_) {
    if (known == face) return format.Get();
  }
  IDWriteFactory2* factory = SharedDWriteFactory();
  ComPtr<IDWriteTextFormat> format;
  const auto weight = static_cast<DWRITE_FONT_WEIGHT>(std::clamp(face.weight, 1, 999));
  if (!factory || FAILED(factory->CreateTextFormat(ResolvedFontFamily().c_str(), nullptr, weight,
                                                   DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                                   static_cast<float>(face.sizePx), L"en-us", &format))) {
    return nullptr;
  }
  ComPtr<IDWriteTextFormat1> withFallback;
  if (IDWriteFontFallback* fallback = SharedFontFallback(); fallback && SUCCEEDED(format.As(&withFallback))) {
    withFallback->SetFontFallback(fallback);
  }
  formats_.emplace_back(face, format);
  return format.Get();
}

ComPtr<IDWriteTextLayout> Direct2DCanvas::NewLayout(const FontFace& face, const std::wstring& text, double width,
                                                    bool wrap, bool trim, HAlign align) {
  IDWriteFactory2* factory = SharedDWriteFactory();
  IDWriteTextFormat* format = FormatOf(face);
  ComPtr<IDWriteTextLayout> layout;
  // Without a width the lines are as long as they are: a box of no width,
  // its text starting at the left edge and running past it.
  if (!factory || !format ||
      FAILED(factory->CreateTextLayout(text.data(), static_cast<UINT32>(text.size()), format,
                                       static_cast<float>(std::max(width, 0.0)), 0.0f, &layout))) {
    return nullptr;
  }
  // Words longer than the width break inside (Windows 8.1 and later; the
  // older wrapping keeps such a word whole).
  if (!wrap) {
    layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
  } else if (FAILED(layout->SetWordWrapping(DWRITE_WORD_WRAPPING_EMERGENCY_BREAK))) {
    layout->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
  }
  layout->SetReadingDirection(DWRITE_READING_DIRECTION_LEFT_TO_RIGHT);
  DWRITE_TEXT_ALIGNMENT alignment = DWRITE_TEXT_ALIGNMENT_LEADING;
  if (width > 0 && align == HAlign::Center) alignment = DWRITE_TEXT_ALIGNMENT_CENTER;
  if (width > 0 && align == HAlign::Trailing) alignment = DWRITE_TEXT_ALIGNMENT_TRAILING;
  layout->SetTextAlignment(alignment);
  if (trim && width > 0) {
    ComPtr<IDWriteInlineObject> sign;
    factory->CreateEllipsisTrimmingSign(format, &sign);
    const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
    layout->SetTrimming(&trimming, sign.Get());
  }
  return layout;
}

namespace {

bool JoinsOrMarks(wchar_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0591 && c <= 0x05C7) ||
         (c >= 0x0600 && c <= 0x08FF) || (c >= 0x0900 && c <= 0x0DFF) || (c >= 0x0E00 && c <= 0x0FFF) ||
         (c >= 0x1100 && c <= 0x11FF) || (c >= 0x200C && c <= 0x200F) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE00 && c <= 0xFE0F) ||
         (c >= 0xFE20 && c <= 0xFEFF);
}

// `text` with a zero-width space between the letters of each word wider
// than `width` (as `layout` measured them), where a line may then break:
// for a system whose wrapping keeps such a word whole (and will not trim
// it). Other words keep breaking only between them; letters that join or
// combine are left together.
std::wstring WithBreaksInLongWords(IDWriteTextLayout* layout, const std::wstring& text, double width) {
  UINT32 count = 0;
  layout->GetClusterMetrics(nullptr, 0, &count);
  std::vector<DWRITE_CLUSTER_METRICS> clusters(count);
  if (count == 0 || FAILED(layout->GetClusterMetrics(clusters.data(), count, &count))) return text;
  std::wstring out;
  out.reserve(text.size() * 2);
  size_t pos = 0;
  UINT32 first = 0;  // the first cluster of the word
  double wordWidth = 0;
  for (UINT32 i = 0; i < count; ++i) {
    if (!clusters[i].isWhitespace) wordWidth += clusters[i].width;
    if (!clusters[i].canWrapLineAfter && i + 1 < count) continue;
    // The word is clusters first..i.
    for (UINT32 k = first; k <= i; ++k) {
      const size_t length = std::min<size_t>(clusters[k].length, text.size() - pos);
      if (k > first && wordWidth > width && !clusters[k].isWhitespace && !clusters[k - 1].isWhitespace &&
          !JoinsOrMarks(text[pos - 1]) && !JoinsOrMarks(text[pos])) {
        out += L'\x200B';
      }
      out.append(text, pos, length);
      pos += length;
    }
    first = i + 1;
    wordWidth = 0;
  }
  out.append(text, std::min(pos, text.size()), std::wstring::npos);
  return out;
}

bool Overflows(IDWriteTextLayout* layout, double width) {
  DWRITE_TEXT_METRICS metrics{};
  return width > 0 && SUCCEEDED(layout->GetMetrics(&metrics)) && metrics.width > width + 0.5;
}

}  // namespace

bool Direct2DCanvas::LayOut(const FontFace& face, std::string_view text, const TextFlow& flow) {
  if (layout_ && face == laidFace_ && flow == laidFlow_ && text == laidText_) return true;
  layout_.Reset();
  tail_.Reset();
  tailTop_ = 0;
  std::wstring wide = Widened(text);
  const bool toHeight = flow.ellipsis && flow.width > 0 && flow.height > 0;
  const bool wrap = flow.width > 0 && !(flow.ellipsis && !toHeight);
  const bool trim = flow.ellipsis && !toHeight;
  layout_ = NewLayout(face, wide, flow.width, wrap, trim, flow.align);
  if (!layout_) return false;
  if ((wrap || trim) && Overflows(layout_.Get(), flow.width)) {
    wide = WithBreaksInLongWords(layout_.Get(), wide, flow.width);
    if (ComPtr<IDWriteTextLayout> broken = NewLayout(face, wide, flow.width, wrap, trim, flow.align)) {
      layout_ = broken;
    }
  }
  laidFace_ = face;
  laidFlow_ = flow;
  laidText_.assign(text);
  if (toHeight) CutToHeight(face, wide, flow);
  return true;
}

// DirectWrite trims lines only across, so the lines past the height are cut
// here: the lines that fit whole stay in layout_, and the text from the last
// line that fits on is laid out as one trimmed line (its line breaks read as
// spaces, so the ellipsis shows that more follows).
void Direct2DCanvas::CutToHeight(const FontFace& face, const std::wstring& text, const TextFlow& flow) {
  UINT32 count = 0;
  layout_->GetLineMetrics(nullptr, 0, &count);
  std::vector<DWRITE_LINE_METRICS> lines(count);
  if (count == 0 || FAILED(layout_->GetLineMetrics(lines.data(), count, &count))) return;
  double bottom = 0;
  UINT32 fit = 0;
  while (fit < count && bottom + lines[fit].height <= flow.height + 0.01) bottom += lines[fit++].height;
  if (fit == count) return;
  const UINT32 whole = fit == 0 ? 0 : fit - 1;  // the lines kept as they are
  size_t start = 0;
  double top = 0;
  for (UINT32 i = 0; i < whole; ++i) {
    start += lines[i].length;
    top += lines[i].height;
  }
  std::wstring rest = text.substr(std::min(start, text.size()));
  for (wchar_t& c : rest) {
    if (c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029) c = L' ';
  }
  ComPtr<IDWriteTextLayout> tail = NewLayout(face, rest, flow.width, false, true, flow.align);
  if (!tail) return;
  if (Overflows(tail.Get(), flow.width)) {
    if (ComPtr<IDWriteTextLayout> cut =
            NewLayout(face, WithBreaksInLongWords(tail.Get(), rest, flow.width), flow.width, false, true, flow.align)) {
      tail = cut;
    }
  }
  if (whole == 0) {
    layout_ = tail;
    return;
  }
  ComPtr<IDWriteTextLayout> head = NewLayout(face, text.substr(0, start), flow.width, true, false, flow.align);
  if (!head) return;
  layout_ = head;
  tail_ = tail;
  tailTop_ = top;
}

namespace {

RectF Union(const RectF& a, const RectF& b) {
  if (a.Width() <= 0 && a.Height() <= 0) return b;
  if (b.Width() <= 0 && b.Height() <= 0) return a;
  return RectF{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
               std::max(a.bottom, b.bottom)};
}

// Collects the boxes of the glyphs a layout draws, from the fonts' design
// metrics (the layout's own overhang figures are not dependable everywhere).
class InkCollector final : public IDWriteTextRenderer {
 public:
  RectF ink;
  bool any = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (id == __uuidof(IUnknown) || id == __uuidof(IDWritePixelSnapping) || id == __uuidof(IDWriteTextRenderer)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, BOOL* disabled) override {
    *disabled = TRUE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* m) override {
    *m = DWRITE_MATRIX{1, 0, 0, 1, 0, 0};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* ppd) override {
    *ppd = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE,
                                         const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*,
                                         IUnknown*) override {
    if (!run || !run->fontFace || run->glyphCount == 0) return S_OK;
    std::vector<DWRITE_GLYPH_METRICS> metrics(run->glyphCount);
    DWRITE_FONT_METRICS font{};
    run->fontFace->GetMetrics(&font);
    if (font.designUnitsPerEm == 0 ||
        FAILED(run->fontFace->GetDesignGlyphMetrics(run->glyphIndices, run->glyphCount, metrics.data(),
                                                    run->isSideways))) {
      return S_OK;
    }
    const double scale = run->fontEmSize / font.designUnitsPerEm;
    const bool rtl = run->bidiLevel & 1;
    double pen = x;
    for (UINT32 i = 0; i < run->glyphCount; ++i) {
      const DWRITE_GLYPH_METRICS& m = metrics[i];
      const double advance = run->glyphAdvances ? run->glyphAdvances[i] : m.advanceWidth * scale;
      const double along = run->glyphOffsets ? run->glyphOffsets[i].advanceOffset : 0;
      const double up = run->glyphOffsets ? run->glyphOffsets[i].ascenderOffset : 0;
      const double origin = rtl ? pen - advance - along : pen + along;
      pen += rtl ? -advance : advance;
      const RectF box{origin + m.leftSideBearing * scale,
                      y - up - (m.verticalOriginY - m.topSideBearing) * scale,
                      origin + (static_cast<double>(m.advanceWidth) - m.rightSideBearing) * scale,
                      y - up - (m.verticalOriginY - static_cast<double>(m.advanceHeight) + m.bottomSideBearing) * scale};
      if (box.Width() <= 0 || box.Height() <= 0) continue;
      ink = any ? Union(ink, box) : box;
      any = true;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT, FLOAT, const DWRITE_UNDERLINE*, IUnknown*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT, FLOAT, const DWRITE_STRIKETHROUGH*, IUnknown*) override {
    return S_OK;
  }
  // The ellipsis of a trimmed line draws its glyphs through this collector.
  HRESULT STDMETHODCALLTYPE DrawInlineObject(void* context, FLOAT x, FLOAT y, IDWriteInlineObject* object,
                                             BOOL sideways, BOOL rtl, IUnknown* effect) override {
    return object ? object->Draw(context, this, x, y, sideways, rtl, effect) : S_OK;
  }
};

TextExtents ExtentsOf(IDWriteTextLayout* layout, double top) {
  DWRITE_TEXT_METRICS metrics{};
  if (!layout || FAILED(layout->GetMetrics(&metrics))) return {};
  TextExtents extents;
  extents.logical = RectF{metrics.left, top + metrics.top, metrics.left + metrics.widthIncludingTrailingWhitespace,
                          top + metrics.top + metrics.height};
  InkCollector collector;
  if (SUCCEEDED(layout->Draw(nullptr, &collector, 0, static_cast<FLOAT>(top))) && collector.any) {
    extents.ink = collector.ink;
  }
  return extents;
}

}  // namespace

TextExtents Direct2DCanvas::Extents() const {
  TextExtents extents = ExtentsOf(layout_.Get(), 0);
  if (!tail_) return extents;
  const TextExtents last = ExtentsOf(tail_.Get(), tailTop_);
  return TextExtents{Union(extents.logical, last.logical), Union(extents.ink, last.ink)};
}

TextExtents Direct2DCanvas::MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) {
  if (text.empty() || !LayOut(face, text, flow)) return {};
  return Extents();
}

TextExtents Direct2DCanvas::DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x,
                                     double y, Rgba colour) {
  if (text.empty() || !LayOut(face, text, flow)) return {};
  if (ID2D1SolidColorBrush* brush = Brush(colour)) {
    const auto at = [x](double top) { return D2D1_POINT_2F{static_cast<float>(x), static_cast<float>(top)}; };
    target_->DrawTextLayout(at(y), layout_.Get(), brush, D2D1_DRAW_TEXT_OPTIONS_NONE);
    if (tail_) target_->DrawTextLayout(at(y + tailTop_), tail_.Get(), brush, D2D1_DRAW_TEXT_OPTIONS_NONE);
  }
  return Extents();
}

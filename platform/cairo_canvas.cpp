#include "platform/cairo_canvas.h"

#include <pango/pangocairo.h>
#include <strings.h>

#include <cmath>
#include <set>

// Sections: fonts; canvas (fill and clip, paths, pictures, text).

// ---------------------------------------------------------------------------
// Fonts

namespace {

std::string Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

bool IsGeneric(const std::string& family) {
  for (const char* generic : {"sans-serif", "sans", "serif", "monospace", "system-ui"}) {
    if (strcasecmp(family.c_str(), generic) == 0) return true;
  }
  return false;
}

// The families fontconfig knows, folded to lower case.
std::set<std::string> InstalledFamilies() {
  std::set<std::string> names;
  PangoFontMap* map = pango_cairo_font_map_new();
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(map, &families, &count);
  for (int i = 0; i < count; ++i) {
    std::string name = pango_font_family_get_name(families[i]);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    names.insert(std::move(name));
  }
  g_free(families);
  g_object_unref(map);
  return names;
}

std::string Resolve() {
  const std::set<std::string> installed = InstalledFamilies();
  std::string resolved;
  std::string_view list = kFontFamilies;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string family = Trimmed(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    std::string folded = family;
    for (char& c : folded) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (family.empty() || (!IsGeneric(family) && !installed.count(folded))) continue;
    if (!resolved.empty()) resolved += ", ";
    resolved += family;
  }
  // Nothing of the list present: the system's own sans face, whose
  // fallback covers the other scripts.
  return resolved.empty() ? std::string("sans-serif") : resolved;
}

}  // namespace

const std::string& ResolvedFontFamilies() {
  static const std::string families = Resolve();
  return families;
}

PangoFontDescription* NewFaceDescription(const FontFace& face) {
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, ResolvedFontFamilies().c_str());
  pango_font_description_set_weight(description, static_cast<PangoWeight>(face.weight));
  pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
  pango_font_description_set_stretch(description, PANGO_STRETCH_NORMAL);
  pango_font_description_set_absolute_size(description, face.sizePx * PANGO_SCALE);
  return description;
}

// ---------------------------------------------------------------------------
// Canvas

namespace {
void SetColour(cairo_t* cr, Rgba c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }
}  // namespace

CairoCanvas::CairoCanvas(cairo_surface_t* target) : cr_(cairo_create(target)) {}

CairoCanvas::~CairoCanvas() {
  if (layout_) g_object_unref(layout_);
  for (auto& [face, description] : faces_) pango_font_description_free(description);
  cairo_destroy(cr_);
}

void CairoCanvas::Clear(Rgba colour) {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  SetColour(cr_, colour);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::Erase(const RectF& rect) {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::Rectangle(const RectF& rect) {
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_new_sub_path(cr_);
}

void CairoCanvas::Ellipse(double cx, double cy, double rx, double ry) {
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr_);
  cairo_new_sub_path(cr_);
}

void CairoCanvas::Fill(Rgba colour) {
  SetColour(cr_, colour);
  cairo_fill(cr_);
}

void CairoCanvas::Stroke(Rgba colour, double width, LineEnds ends) {
  SetColour(cr_, colour);
  cairo_set_line_width(cr_, width);
  const bool round = ends == LineEnds::Round;
  cairo_set_line_cap(cr_, round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, round ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
  cairo_stroke(cr_);
}

void CairoCanvas::PushClip(const RectF& rect) {
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr_);
}

RectF CairoCanvas::ClipBox() const {
  RectF box;
  cairo_clip_extents(cr_, &box.left, &box.top, &box.right, &box.bottom);
  return box;
}

void CairoCanvas::DrawPicture(const Picture& picture, const RectF& rect, double opacity) {
  cairo_surface_t* surface = static_cast<const CairoPicture&>(picture).Surface();
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0 || rect.Width() <= 0 || rect.Height() <= 0) return;
  cairo_save(cr_);
  cairo_translate(cr_, rect.left, rect.top);
  cairo_scale(cr_, rect.Width() / w, rect.Height() / h);
  cairo_set_source_surface(cr_, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint_with_alpha(cr_, opacity);
  cairo_restore(cr_);
}

const PangoFontDescription* CairoCanvas::DescriptionOf(const FontFace& face) {
  for (const auto& [known, description] : faces_) {
    if (known == face) return description;
  }
  faces_.emplace_back(face, NewFaceDescription(face));
  return faces_.back().second;
}

PangoLayout* CairoCanvas::LayOut(const FontFace& face, std::string_view text, const TextFlow& flow) {
  if (!layout_) layout_ = pango_cairo_create_layout(cr_);
  if (laidOut_ && face == laidFace_ && flow == laidFlow_ && text == laidText_) return layout_;
  pango_layout_set_font_description(layout_, DescriptionOf(face));
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  pango_layout_set_attributes(layout_, nullptr);
  pango_layout_set_ellipsize(layout_, flow.ellipsis ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
  pango_layout_set_height(layout_, flow.ellipsis && flow.height > 0 ? static_cast<int>(flow.height * PANGO_SCALE) : -1);
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_width(layout_, flow.width > 0 ? static_cast<int>(flow.width * PANGO_SCALE) : -1);
  PangoAlignment alignment = PANGO_ALIGN_LEFT;
  if (flow.align == HAlign::Center) alignment = PANGO_ALIGN_CENTER;
  if (flow.align == HAlign::Trailing) alignment = PANGO_ALIGN_RIGHT;
  pango_layout_set_alignment(layout_, alignment);
  laidOut_ = true;
  laidFace_ = face;
  laidFlow_ = flow;
  laidText_.assign(text);
  return layout_;
}

namespace {
TextExtents ExtentsOf(PangoLayout* layout) {
  PangoRectangle ink, logical;
  pango_layout_get_extents(layout, &ink, &logical);
  const auto rect = [](const PangoRectangle& r) {
    constexpr double kUnit = PANGO_SCALE;
    return RectF{r.x / kUnit, r.y / kUnit, (r.x + r.width) / kUnit, (r.y + r.height) / kUnit};
  };
  return TextExtents{rect(logical), rect(ink)};
}
}  // namespace

TextExtents CairoCanvas::MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) {
  if (text.empty()) return {};
  return ExtentsOf(LayOut(face, text, flow));
}

TextExtents CairoCanvas::DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x,
                                  double y, Rgba colour) {
  if (text.empty()) return {};
  PangoLayout* layout = LayOut(face, text, flow);
  SetColour(cr_, colour);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout);
  cairo_new_path(cr_);
  return ExtentsOf(layout);
}

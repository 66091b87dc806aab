#include "ui/render/text_box_record.h"

#include <cstdio>
#include <cstdlib>

#include "net/json_scan.h"
#include "store/file_io.h"

namespace {


bool Near(double a, double b) { return a - b < 0.01 && b - a < 0.01; }

bool SameRect(const RectF& a, const RectF& b) {
  return Near(a.left, b.left) && Near(a.top, b.top) && Near(a.right, b.right) && Near(a.bottom, b.bottom);
}

bool SameText(const RecordedText& a, const RecordedText& b) {
  return a.part == b.part && a.kind == b.kind && a.text == b.text && SameRect(a.box, b.box) &&
         SameRect(a.ink, b.ink);
}

bool SameTexts(const std::vector<RecordedText>& a, const std::vector<RecordedText>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!SameText(a[i], b[i])) return false;
  }
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  out += JsonScan::Escape(text);
  out += '"';
}

void AppendRect(std::string& out, const RectF& r) {
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "[%.2f,%.2f,%.2f,%.2f]", r.left, r.top, r.right, r.bottom);
  out += numbers;
}

}  // namespace

std::unique_ptr<TextBoxRecord> TextBoxRecord::FromEnvironment() {
  const char* file = std::getenv("VISTRA_TEXT_BOXES");
  if (!file || !*file) return nullptr;
  return std::make_unique<TextBoxRecord>(file);
}

void TextBoxRecord::BeginLayer(std::string_view layer) {
  open_ = std::string(layer);
  pending_.clear();
}

void TextBoxRecord::Add(RecordedText text) {
  if (!open_.empty()) pending_.push_back(std::move(text));
}

void TextBoxRecord::EndLayer() {
  if (open_.empty()) return;
  auto [it, added] = layers_.try_emplace(open_);
  open_.clear();
  Layer& layer = it->second;
  if (!added && SameTexts(layer.texts, pending_)) return;
  layer.texts = std::move(pending_);
  pending_.clear();
  ++layer.frame;
  Write();
}

std::string TextBoxRecord::Json() const {
  std::string out = "{\"layers\":{";
  bool firstLayer = true;
  for (const auto& [name, layer] : layers_) {
    if (!firstLayer) out += ',';
    firstLayer = false;
    AppendQuoted(out, name);
    out += ":{\"frame\":" + std::to_string(layer.frame) + ",\"texts\":[";
    for (size_t i = 0; i < layer.texts.size(); ++i) {
      const RecordedText& t = layer.texts[i];
      if (i > 0) out += ',';
      out += "\n{\"part\":";
      AppendQuoted(out, t.part);
      out += ",\"kind\":";
      AppendQuoted(out, t.kind);
      out += ",\"text\":";
      AppendQuoted(out, t.text);
      out += ",\"box\":";
      AppendRect(out, t.box);
      out += ",\"ink\":";
      AppendRect(out, t.ink);
      out += '}';
    }
    out += "]}";
  }
  out += "}}\n";
  return out;
}

// The walk reads the file between paints; the rename keeps it whole.
void TextBoxRecord::Write() const { WriteFileAtomically(file_, Json(), 0644); }

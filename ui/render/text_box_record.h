#pragma once
// Where the texts of the last painted frames were drawn, for the end-to-end
// walk that checks on its screenshots that no text runs out of its box or
// over another one.
//
// Off unless the environment names a file in VISTRA_TEXT_BOXES; then, after
// each paint of a layer whose texts changed, the file is rewritten whole
// (write and rename) as JSON:
//   {"layers":{"interface":{"frame":12,"texts":[
//     {"part":"screen","kind":"trimmed","text":"Live",
//      "box":[l,t,r,b],"ink":[l,t,r,b]}, ...]}, "strips":{...}}}
// Rectangles are in window pixels; "ink" is the part of the glyphs' ink
// that the clip lets through. A layer painted with no text keeps an entry
// with an empty list, so hidden strips read as such.
//
// Main thread only.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/render/render_resources.h"

struct RecordedText {
  std::string part;  // who drew it on the layer: "screen", "toast", "modal", ...
  std::string kind;  // the helper: "label", "trimmed", "line", "tail"
  std::string text;  // UTF-8
  RectF box;
  RectF ink;
};

class TextBoxRecord {
 public:
  explicit TextBoxRecord(std::string file) : file_(std::move(file)) {}

  // The record named by VISTRA_TEXT_BOXES; null when it is unset or empty.
  static std::unique_ptr<TextBoxRecord> FromEnvironment();

  void BeginLayer(std::string_view layer);
  void Add(RecordedText text);
  // Writes the file when the layer's texts differ from its last paint.
  void EndLayer();

  // The file's content for the layers as they stand.
  std::string Json() const;

 private:
  struct Layer {
    unsigned frame = 0;
    std::vector<RecordedText> texts;
  };
  void Write() const;

  std::string file_;
  std::map<std::string, Layer, std::less<>> layers_;
  std::string open_;  // the layer being painted; empty between paints
  std::vector<RecordedText> pending_;
};

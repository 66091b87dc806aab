#pragma once
// The texts a painter draws, with the boxes they were given and their ink,
// read back from the text-box record the painters write.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "net/json_scan.h"
#include "store/file_io.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/scoped_env.h"
#include "tests/ui/render/test_pictures.h"

struct Drawn {
  std::string text;
  RectF box, ink;
};

inline RectF RecordedRect(std::string_view object, std::string_view key) {
  RectF r;
  std::sscanf(JsonScan::Array(object, key).c_str(), "[%lf,%lf,%lf,%lf]", &r.left, &r.top, &r.right, &r.bottom);
  return r;
}

// Paints one interface frame of width x height with `paint` and returns
// what it drew, in drawing order.
inline std::vector<Drawn> TextsOf(const std::function<void(RenderResources&)>& paint, int width, int height) {
  TempFolder folder;
  const std::filesystem::path file = folder.Path() / "boxes.json";
  SetEnvVar("VISTRA_TEXT_BOXES", file.string().c_str());
  RenderResources res;
  UnsetEnvVar("VISTRA_TEXT_BOXES");
  {
    OffscreenFrame frame(res, width, height);
    res.RecordTexts("interface");
    paint(res);
  }
  const std::string json = ReadWholeFile(file).value_or("");
  // The objects are views into this text, which must outlive the loop.
  const std::string list = JsonScan::Array(json, "texts");
  std::vector<Drawn> texts;
  for (std::string_view object : JsonScan::Objects(list)) {
    texts.push_back({JsonScan::Value(object, "text"), RecordedRect(object, "box"), RecordedRect(object, "ink")});
  }
  return texts;
}

// Draws the program's icons for the desktop's icon theme.
//
//   vistra_icon_render OUTPUT_FOLDER [SIZE...]
//
// writes OUTPUT_FOLDER/<N>x<N>/apps/vistra.png for N = 48, 128, 256 and 512
// and OUTPUT_FOLDER/scalable/apps/vistra.svg: the mark the Home screen shows,
// in the accent a new installation starts with, on the Home screen's dark
// ground. The folder is laid out as share/icons/hicolor is, so the build
// tree and an installation look alike to the program. Given sizes, only the
// PNGs of those sizes are written (the Windows icon file bundles 16 to 256
// pixels). Any failure is printed and the run fails, which stops the build.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/offscreen_canvas.h"
#include "store/settings.h"
#include "ui/render/product_mark.h"
#include "ui/render/render_resources.h"

namespace {

constexpr int kPngSizes[] = {48, 128, 256, 512};
// The SVG's nominal size; it scales to any.
constexpr double kSvgSize = 256;
constexpr char kIconName[] = "vistra";

bool Fail(const std::filesystem::path& path, const char* what) {
  std::fprintf(stderr, "%s: error: %s\n", path.string().c_str(), what);
  return false;
}

std::filesystem::path IconPath(const std::filesystem::path& root, const std::string& theme, const char* ext) {
  return root / theme / "apps" / (std::string(kIconName) + ext);
}

bool Prepare(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  return !error || Fail(path, "cannot create its folder");
}

void DrawIcon(Canvas& canvas, double size) { DrawProductIcon(canvas, size, AccentColor(Settings().DashColor)); }

bool WritePng(const std::filesystem::path& root, int size) {
  const std::string theme = std::to_string(size) + "x" + std::to_string(size);
  const std::filesystem::path path = IconPath(root, theme, ".png");
  if (!Prepare(path)) return false;
  OffscreenCanvas image(size, size);
  DrawIcon(image.Draw(), size);
  return image.WritePng(path) || Fail(path, "cannot draw or write the icon");
}

bool WriteSvg(const std::filesystem::path& root) {
  const std::filesystem::path path = IconPath(root, "scalable", ".svg");
  if (!Prepare(path)) return false;
  // Icon themes measure in pixels, as the SVG's document unit is set.
  const bool written = DrawSvgFile(path, kSvgSize, kSvgSize, [](Canvas& canvas) { DrawIcon(canvas, kSvgSize); });
  return written || Fail(path, "cannot draw or write the icon");
}

// A size from the command line: a whole number of pixels a PNG can hold
// sensibly, else 0.
int ReadSize(const char* text) {
  char* end = nullptr;
  const long size = std::strtol(text, &end, 10);
  return *text != '\0' && *end == '\0' && size >= 1 && size <= 4096 ? static_cast<int>(size) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SIZE...]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  if (argc > 2) {
    for (int i = 2; i < argc; ++i) {
      const int size = ReadSize(argv[i]);
      if (size == 0) {
        std::fprintf(stderr, "%s: error: not a size in pixels\n", argv[i]);
        return 2;
      }
      if (!WritePng(root, size)) return 1;
    }
    return 0;
  }
  for (int size : kPngSizes) {
    if (!WritePng(root, size)) return 1;
  }
  return WriteSvg(root) ? 0 : 1;
}

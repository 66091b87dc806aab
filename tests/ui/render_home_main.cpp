// Renders the Home screen offscreen into a PNG, to look at it without a
// window:
//   vistra_render_home OUT.png [options]
//     --size WxH        surface size (1920x1080)
//     --lang CODE       interface language (en)
//     --backdrop FILE   picture used as backdrop.jpg (none: plain background)
//     --logo-folder DIR where vs-logo.png is looked for (none: the wordmark)
//     --index N         focused tile (0)      --dash N    accent colour (0)
//     --12h             12-hour clock         --time HH:MM  (12:34, day 2026-09-17)
//     --messages N      messages on the panel, none seen (0)
//     --status TEXT     status line           --reloading  the reloading notice
//     --panel info|messages  the panel, with --body TEXT and --reply TEXT
//     --question        the exit question over the screen
// The data folder is a temporary one, so the real one is never touched.
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "net/text.h"
#include "i18n/translate.h"
#include "ui/render/render_resources.h"
#include "ui/screens/home_screen.h"
#include "ui/modals/question_dialog.h"

namespace {

struct Options {
  std::string out;
  int width = 1920, height = 1080;
  std::string lang = "en";
  std::string backdrop, logoFolder;
  bool question = false;
  HomeView view;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  if (argc < 2) return false;
  o.out = argv[1];
  o.view.now = LocalTime{2026, 9, 17, 12, 34, 0, 4};
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (arg == "--size") {
      if (std::sscanf(next().c_str(), "%dx%d", &o.width, &o.height) != 2) return false;
    } else if (arg == "--lang") {
      o.lang = next();
    } else if (arg == "--backdrop") {
      o.backdrop = next();
    } else if (arg == "--logo-folder") {
      o.logoFolder = next();
    } else if (arg == "--index") {
      o.view.homeIndex = std::atoi(next().c_str());
    } else if (arg == "--dash") {
      o.view.dashColor = std::atoi(next().c_str());
    } else if (arg == "--12h") {
      o.view.twelveHour = true;
    } else if (arg == "--time") {
      std::sscanf(next().c_str(), "%d:%d", &o.view.now.hour, &o.view.now.minute);
    } else if (arg == "--messages") {
      o.view.messageCount = std::atoi(next().c_str());
      o.view.newestMessageKey = u"m-last";
    } else if (arg == "--status") {
      o.view.statusText = Utf8ToWide(next());
    } else if (arg == "--reloading") {
      o.view.reloading = true;
    } else if (arg == "--panel") {
      o.view.panelOpen = true;
      o.view.messagesMode = next() == "messages";
    } else if (arg == "--body") {
      o.view.panelText = Utf8ToWide(next());
    } else if (arg == "--reply") {
      o.view.replyOpen = true;
      o.view.replyText = Utf8ToWide(next());
    } else if (arg == "--question") {
      o.question = true;
    } else {
      return false;
    }
  }
  return o.width > 0 && o.height > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr, "usage: %s OUT.png [--size WxH] [--lang CODE] [--backdrop FILE] ...\n", argv[0]);
    return 2;
  }
  const auto home = std::filesystem::temp_directory_path() / ("vistra-render-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(home / "Vistra43");
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  if (!o.backdrop.empty()) std::filesystem::copy_file(o.backdrop, home / "Vistra43" / "backdrop.jpg");

  SetCurrentLanguageCode(Utf8ToWide(o.lang));
  o.view.language = CurrentLanguage();
  o.view.backdropKey = u"https://images.example/backdrop.jpg";

  RenderResources res(o.logoFolder.empty() ? home : std::filesystem::path(o.logoFolder));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, o.width, o.height);
  cairo_t* cr = cairo_create(surface);
  res.BeginFrame(cr, o.width, o.height, o.view.dashColor);
  PaintHome(res, o.view);
  if (o.question) {
    PaintQuestion(res, MakeQuestion(u"Vistra", std::u16string(Translate("exit_ask")), QuestionDialog::kNo));
  }
  res.EndFrame();
  cairo_destroy(cr);
  const bool written = cairo_surface_write_to_png(surface, o.out.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  std::filesystem::remove_all(home);
  if (!written) std::fprintf(stderr, "could not write %s\n", o.out.c_str());
  return written ? 0 : 1;
}

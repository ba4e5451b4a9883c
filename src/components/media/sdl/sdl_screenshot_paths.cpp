#include "sdl_screenshot_paths.h"

#include "components/media/sdl/platform_paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
bool Set(const char* value) { return value != nullptr && value[0] != '\0'; }
}  // namespace

std::string PassScreenshotPath(const std::string& folder, int64_t pass) {
  char name[48];
  std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(pass));
  return (fs::path(folder) / name).string();
}

std::string HotkeyScreenshotFileName(const std::tm& t, int milliseconds) {
  char name[64];
  std::snprintf(name, sizeof name, "kestrevan-%04d%02d%02d-%02d%02d%02d-%03d.png", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, milliseconds % 1000);
  return name;
}

ScreenshotEnvironment CurrentScreenshotEnvironment() {
  ScreenshotEnvironment env;
  env.xdgPicturesDir = std::getenv("XDG_PICTURES_DIR");
  // Kept for the life of the program: the environment hands out pointers.
  static const std::string home = HomeFolder();
  env.home = home.c_str();
  env.xdgDataHome = std::getenv("XDG_DATA_HOME");
  return env;
}

std::string UserScreenshotFolder(const ScreenshotEnvironment& env) {
  if (Set(env.xdgPicturesDir)) return env.xdgPicturesDir;
  if (Set(env.home)) {
    const fs::path pictures = fs::path(env.home) / "Pictures";
    std::error_code error;
    if (fs::is_directory(pictures, error)) return pictures.string();
  }
  fs::path data;
  if (Set(env.xdgDataHome)) {
    data = env.xdgDataHome;
  } else if (Set(env.home)) {
    data = fs::path(env.home) / ".local" / "share";
  } else {
    return {};
  }
  return (data / "kestrevan" / "screenshots").string();
}

#include "sdl_screenshot_paths.h"

#include "components/media/sdl/platform_paths.h"
#include "components/read_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool Set(const char* value) { return value != nullptr && value[0] != '\0'; }

// A user-dirs.dirs is a few lines; anything far larger is not one.
constexpr size_t kMaxUserDirsBytes = 64 * 1024;

// The shell-quoted value of a `KEY="..."` line, backslash escapes undone;
// false when the line is not of that form.
bool QuotedValue(const std::string& rest, std::string& value) {
  if (rest.size() < 2 || rest.front() != '"') return false;
  value.clear();
  for (size_t i = 1; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '"') return rest.find_first_not_of(" \t", i + 1) == std::string::npos;
    if (c == '\\' && i + 1 < rest.size()) {
      value += rest[++i];
    } else {
      value += c;
    }
  }
  return false;  // never closed
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

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
  env.xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
  return env;
}

std::string PicturesFromUserDirs(const std::string& text, const std::string& home) {
  const std::string key = "XDG_PICTURES_DIR=";
  std::string found;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value;
    // As in a shell, the last assignment wins, and a line we cannot read
    // unsets nothing that came before.
    if (!QuotedValue(line.substr(start + key.size()), value)) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      if (home.empty()) continue;
      value = home + value.substr(5);
    } else if (value.empty() || value.front() != '/') {
      continue;  // only these two forms are defined
    }
    const std::string path = WithoutTrailingSlash(fs::path(value).lexically_normal().string());
    // The home folder itself is how the desktop says the folder is off.
    found = path == WithoutTrailingSlash(fs::path(home).lexically_normal().string()) ? "" : path;
  }
  return found;
}

std::string UserScreenshotFolder(const ScreenshotEnvironment& env) {
  const std::string home = Set(env.home) ? env.home : "";
  fs::path config;
  if (Set(env.xdgConfigHome)) {
    config = env.xdgConfigHome;
  } else if (!home.empty()) {
    config = fs::path(home) / ".config";
  }
  if (!config.empty()) {
    const ReadResult file = ReadSmallFile((config / "user-dirs.dirs").string(), kMaxUserDirsBytes);
    if (file.status == ReadStatus::kOk) {
      const std::string pictures = PicturesFromUserDirs(file.bytes, home);
      if (!pictures.empty()) return pictures;
    }
  }
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

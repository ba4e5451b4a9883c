#include "components/media/sdl/platform_paths.h"

#include <SDL.h>

#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string StripSlash(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

// Linux and the BSDs follow the XDG rules; elsewhere SDL knows the place.
std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
#if defined(_WIN32) || defined(__APPLE__)
  (void)variable;
  (void)fallbackUnderHome;
  char* pref = SDL_GetPrefPath(nullptr, "kestrevan");
  std::string result = pref ? StripSlash(pref) : std::string(".");
  SDL_free(pref);
  return result;
#else
  std::string base = Env(variable);
  if (base.empty() || base[0] != '/') {
    const std::string home = Env("HOME");
    base = home.empty() ? std::string(".") : home + "/" + fallbackUnderHome;
  }
  return StripSlash(base) + "/kestrevan";
#endif
}

}  // namespace

std::string ExecutableFolder() {
  char* base = SDL_GetBasePath();
  if (!base) return ".";
  std::string folder = StripSlash(base);
  SDL_free(base);
  return folder;
}

std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string UserDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

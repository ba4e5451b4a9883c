#include "components/media/sdl/platform_paths.h"

#include <SDL.h>

#include <cstdlib>
#include <string>

#if !defined(_WIN32)
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string StripSlash(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

}  // namespace

std::string HomeFolder() {
#if defined(_WIN32)
  return Env("USERPROFILE");
#else
  const std::string home = Env("HOME");
  if (!home.empty() && home[0] == '/') return home;
  // Services and `env -i` start without HOME; the password database still
  // knows where the user lives.
  const struct passwd* entry = ::getpwuid(::getuid());
  return entry && entry->pw_dir && entry->pw_dir[0] == '/' ? std::string(entry->pw_dir)
                                                           : std::string();
#endif
}

namespace {

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
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/" + fallbackUnderHome;
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

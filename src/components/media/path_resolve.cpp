#include "components/media/path_resolve.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// The entry of `folder` whose name matches `component` ignoring case, or an
// empty string. Several candidates ("Land.dds" and "LAND.DDS") are settled by
// name order so a run never depends on directory listing order.
std::string FindIgnoringCase(const fs::path& folder, const std::string& component) {
  std::error_code error;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
  if (error) return {};
  std::vector<std::string> matches;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, component)) matches.push_back(entry);
  }
  if (matches.empty()) return {};
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string NormalizeSlashes(const std::string& name) {
  std::string result = name;
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

std::string ResolveGameFile(const std::string& programFolder, const std::string& name) {
  const std::string relative = NormalizeSlashes(name);
  const fs::path asked(relative);
  if (asked.is_absolute()) return relative;

  const fs::path joined = programFolder.empty() ? asked : fs::path(programFolder) / asked;
  if (Exists(joined)) return joined.string();

  // Walk the name one component at a time, keeping the spelling that exists.
  fs::path current = programFolder.empty() ? fs::path() : fs::path(programFolder);
  for (const fs::path& part : asked) {
    const std::string component = part.string();
    if (component.empty() || component == ".") continue;
    const fs::path exact = current / part;
    if (component == ".." || Exists(exact)) {
      current = exact;
      continue;
    }
    const std::string match = FindIgnoringCase(current, component);
    if (match.empty()) return joined.string();
    current /= match;
  }
  return current.string();
}

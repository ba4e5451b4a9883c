// assetgen OUT_DIR [NAME...]: writes every picture and sound of the game
// into OUT_DIR (or only the named ones).
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "asset_registry.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: assetgen OUT_DIR [NAME...]\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  std::vector<std::string> only(argv + 2, argv + argc);
  auto entries = AssetRegistry();
  // Registration order follows static initialisation; write in name order so
  // runs are reproducible whatever the link order.
  std::sort(entries.begin(), entries.end(),
            [](const AssetEntry& a, const AssetEntry& b) { return a.fileName < b.fileName; });
  int failures = 0;
  for (const auto& e : entries) {
    if (!only.empty() && std::find(only.begin(), only.end(), e.fileName) == only.end()) continue;
    try {
      e.write((out / e.fileName).string());
    } catch (const std::exception& ex) {
      std::fprintf(stderr, "assetgen: %s: %s\n", e.fileName.c_str(), ex.what());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

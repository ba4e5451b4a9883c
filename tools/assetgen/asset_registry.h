#pragma once
#include <functional>
#include <string>
#include <vector>

// Every generated file registers itself here with the function that writes
// it, so each art or sound file of the generator stays self-contained.
struct AssetEntry {
  std::string fileName;  // as it appears under files/ ("lander.dds")
  std::function<void(const std::string& path)> write;
};

std::vector<AssetEntry>& AssetRegistry();

struct RegisterAsset {
  RegisterAsset(const std::string& fileName, std::function<void(const std::string& path)> write) {
    AssetRegistry().push_back(AssetEntry{fileName, std::move(write)});
  }
};

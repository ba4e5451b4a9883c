#include "asset_registry.h"

std::vector<AssetEntry>& AssetRegistry() {
  static std::vector<AssetEntry> registry;
  return registry;
}

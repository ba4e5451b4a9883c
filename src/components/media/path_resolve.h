#pragma once
#include <string>

// The game names its files the Windows way ("files\Land.dds") and never
// cared about letter case. On a case-sensitive file system we find them
// anyway: backslashes become slashes, and a component that does not exist
// as spelt is matched case-insensitively inside its folder.
//
// Relative names resolve inside `programFolder`; absolute names are used as
// given. Returns the existing path when one is found, otherwise the plainly
// joined path (so the caller's "file not found" names what was asked for).
std::string ResolveGameFile(const std::string& programFolder, const std::string& name);

// `name` with every backslash turned into a slash.
std::string NormalizeSlashes(const std::string& name);

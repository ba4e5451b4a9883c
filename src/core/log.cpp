#include "core/log.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace {
std::mutex gMutex;
std::set<std::string>& Seen() {
  static std::set<std::string> seen;
  return seen;
}
}  // namespace

void LogOnce(const std::string& message) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (Seen().size() > 4096) return;  // a pathological run must not grow without bound
  if (!Seen().insert(message).second) return;
  std::fprintf(stderr, "kestrevan: %s\n", message.c_str());
}

void LogLine(const std::string& message) {
  std::fprintf(stderr, "kestrevan: %s\n", message.c_str());
}

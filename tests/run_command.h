#pragma once
// The real binary run as a player or a script would run it.
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct RunResult {
  int status = -1;
  std::string output;  // stdout and stderr together
};

inline RunResult RunCommand(const std::string& command) {
  RunResult r;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

inline RunResult RunGame(const std::string& args, const std::string& binary = KESTREVAN_BINARY) {
  return RunCommand("\"" + binary + "\" " + args);
}

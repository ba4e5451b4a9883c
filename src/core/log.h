#pragma once
#include <string>

// Writes "kestrevan: <message>" to stderr, once per distinct message, so a
// draw that fails on every frame does not flood the terminal.
void LogOnce(const std::string& message);
// Always writes (for one-off notices such as a screenshot's path).
void LogLine(const std::string& message);

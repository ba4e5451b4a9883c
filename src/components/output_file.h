#pragma once
#include <cstdio>
#include <string>

// Files a run writes for whoever started it (a trace, a recording, a frame
// log, a picture): a full disk or a closed pipe must never pass for a
// finished file.

// Flushes and closes `file`: "" when every byte got there, else the reason.
std::string CloseOutput(std::FILE* file);

// Whether `path` can be written, asked before a long run rather than found
// out at its end: "" when it can, else the reason.
std::string CheckOutputPath(const std::string& path);

// Writes `bytes` to `path` whole: a plain file (or a new one) through the
// crash-safe writer, so it holds the old content or the new; anything else
// (a pipe, /dev/stdout, a device) directly, and never replaced. "" when
// done, else the reason.
std::string WriteOutputFile(const std::string& path, const std::string& bytes);

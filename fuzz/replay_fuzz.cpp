// Feeds arbitrary text to the replay reader, the one file a stranger sends
// to be checked, watched or raced: it must refuse a bad file with a
// ReplayError, and a file it accepts must write back out and read back the
// same round.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Replay replay;
  try {
    replay = ParseReplay(text);
  } catch (const ReplayError&) {
    return 0;
  }
  if (replay.rules != kRulesVersion || replay.flightTime < 0 || replay.flightTime > 999 ||
      replay.keys.TotalPasses() < 2)
    std::abort();
  // Names with line breaks would break the file; the table never keeps any.
  if (replay.name.find('\n') != std::string::npos) std::abort();
  const Replay again = ParseReplay(ReplayText(replay));
  if (again.state != replay.state || again.helpRoundsLeft != replay.helpRoundsLeft ||
      again.start != replay.start || again.flightTime != replay.flightTime ||
      again.name != replay.name || again.keys.TotalPasses() != replay.keys.TotalPasses())
    std::abort();
  for (int64_t pass = 1; pass <= replay.keys.TotalPasses() && pass <= 4096; ++pass)
    if (again.keys.KeysForPass(pass) != replay.keys.KeysForPass(pass)) std::abort();
  return 0;
}

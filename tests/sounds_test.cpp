// The sound table against real sessions (the golden flights and a walk
// through the menu): a sound the game plays or stops but never loads is
// silent, which no other test would notice.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "core/sounds.h"
#include "shell/app.h"
#include "testkit/golden_replay.h"
#include "testkit/memory_score_board.h"
#include "testkit/quiet_engine.h"

namespace {

// Up and down the menu, into the table and back, then out by Escape.
constexpr const char* kMenuWalk =
    "3 -\n1 down\n1 -\n1 up\n1 -\n1 down\n1 -\n1 return\n3 -\n1 return\n3 -\n"
    "1 escape\n1 -\n1 escape\n";

TEST(Sounds, EverySoundASessionUsesIsLoadedOrMarkedNeverLoaded) {
  std::set<std::string> used;
  for (const std::string name : {"alone", "landing", "win", "menu walk"}) {
    const InputScript script =
        name == "menu walk"
            ? ParseInputScript(kMenuWalk)
            : LoadInputScript(std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/" + name + ".txt");
    // As a golden replay runs: no settings file (sound on), no logo wait.
    QuietEngine engine{QuietEngine::kRecording};
    MemoryScoreBoard scores;
    Random random(script.seed ? *script.seed : golden::kDefaultSeed);
    Game game(engine, &scores, random);
    AppOptions options;
    options.programFolder = "golden";
    options.waitForLogo = false;
    options.script = &script;
    options.maxPasses = script.TotalPasses();
    Main(game, options);
    std::set<std::string> loaded, usedHere;
    for (const auto& c : engine.Calls()) {
      if (c.op.find("Sound") == std::string::npos) continue;
      const std::string sound = c.args.substr(1, c.args.find('"', 1) - 1);
      (c.op == "LoadSound" ? loaded : usedHere).insert(sound);
    }
    for (const std::string& sound : usedHere) {
      used.insert(sound);
      bool neverLoaded = false;
      for (const SoundEntry& s : kSoundTable) neverLoaded |= s.name == sound && !s.file;
      EXPECT_TRUE(loaded.count(sound) || neverLoaded)
          << name << ": \"" << sound << "\" is used but was never loaded";
    }
  }
  // The sessions reach every sound of the table, so none of it goes unchecked.
  for (const SoundEntry& s : kSoundTable) EXPECT_TRUE(used.count(s.name)) << s.name;
}

}  // namespace

#include "components/scores/score_board.h"
#include "core/game.h"
#include "core/sounds.h"
#include "flight/flight.h"
#include "scores/scores.h"

void RoundEnd(Game& g) {
  RoundState& r = g.Round;
  MediaEngine& e = g.Engine;
  if (r.Health <= 0) r.RoundLost = true;
  if (r.RoundLost) {
    g.Shell.GameState = Screen::kMenu;
  } else {
    const float score = static_cast<float>(10000.0 - r.FlightTime);
    const int16_t rank = Scores(g, "GetRank").GetRank(score);
    if (rank <= 10) {
      g.Shell.GameState = Screen::kNameEntry;
      g.HighScores.NewEntryRank = Scores(g, "GetRank").GetRank(score);
      PlaySound(e, Sound::kHighScoreName, false, 100, 0, 0);
    } else {
      g.Shell.GameState = Screen::kHighScores;
      g.HighScores.NewEntryRank = 0;
    }
  }
  for (Sound sound : {Sound::kFire, Sound::kOnFire, Sound::kOnFire2, Sound::kParachute,
                      Sound::kThrustersUp, Sound::kThrustersLeft, Sound::kThrustersRight,
                      Sound::kLanderOpen, Sound::kFuel, Sound::kExplosion})
    StopSound(e, sound, false);
  PlaySound(e, Sound::kMenu, true, 100, 0, 0);
}

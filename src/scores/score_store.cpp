#include "components/component_error.h"
#include "core/game.h"
#include "scores/scores.h"

ScoreBoard& Scores(Game& g, const char* operation) {
  if (!g.Scores) throw ComponentError(operation, "no score store");
  return *g.Scores;
}

#pragma once

class ScoreBoard;

// The score store's start-up, shared by the game and by --print-scores so
// both show the same table from the same files.

// Sets the store up and restores hs.ini from hs.pak when it is missing. Each
// operation is its own step: a failing one is logged and the next one runs.
void PrepareScoreStore(ScoreBoard& scores);

// Opens the table the game reads and writes. Throws ComponentError.
void OpenScoreTable(ScoreBoard& scores);

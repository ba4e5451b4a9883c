#pragma once
#include <string>

class ScoreBoard;
struct Game;

// The score store, for `operation` on it: a ComponentError naming the
// operation while there is none, as a missing component would report.
ScoreBoard& Scores(Game& g, const char* operation);

// The score table screen.
void ShowHighScores(Game& g);

// The name entry screen and its keys.
void ShowNameEntry(Game& g);
void ReadNameKeys(Game& g);
void AddNameKey(Game& g, const std::string& text);

// Deliberate: a won flight still waiting for its name when the program ends
// (the window closed on the name entry) is stored with the name typed so far.
void StoreWaitingEntry(Game& g);

// "01 0322 NAME": a table row as the score screen words it.
std::string ScoreRowText(int row, float value, const std::string& name);

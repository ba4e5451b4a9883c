#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "components/media/media_engine.h"
#include "core/random.h"
#include "core/screen.h"

class ScoreBoard;

// All state of the running game, one sub-struct per module of the original
// program. Routines are free functions over a Game&; nothing is a global.

struct ShellState {
  bool Running = false;
  Screen GameState = Screen::kNone;
  float FrameCount = 0;
  bool SoundOn = false;
  float ThrustPower = 0;
  float Gravity = 0;
  int32_t HelpRoundsLeft = 0;
  int16_t LogoFade = 0;
  int32_t LogoTick = 0;
  // Set when the window is closed before the main loop has started: start-up
  // stops at its next step and the program ends.
  bool CloseBeforeLoop = false;
};

struct CloudRec {
  float X = 0;
  float Y = 0;
  float Opacity = 0;
  float Drift = 0;
};

struct ParticleRec {
  int16_t Life = 0;
  int16_t Kind = 0;
  float X = 0;
  float Y = 0;
  float MoveX = 0;
  float MoveY = 0;
  float Spin = 0;
  float Angle = 0;
  bool Fade = false;
};

constexpr int kCloudCount = 61;
constexpr int kParticleCount = 201;

struct RoundState {
  float LanderX = 0;
  float LanderY = 0;
  float SpeedX = 0;
  float SpeedY = 0;
  float Height = 0;
  bool OnGround = false;
  float Fuel = 0;
  float Health = 0;
  bool LanderOpened = false;
  int16_t OpenFrame = 0;
  int16_t OpenFrameTimer = 0;
  float OpenProgress = 0;
  bool ParachuteOpen = false;
  bool ParachuteReleased = false;
  float ParachuteUnfold = 0;
  float ParachuteX = 0;
  float ParachuteY = 0;
  float ParachuteSwing = 0;
  std::array<bool, 3> PadVisited{};
  std::array<bool, 3> PadFuelSound{};
  bool DataCollected = false;
  int16_t SendTicksLeft = 0;
  bool RoundFinished = false;
  bool RoundLost = false;
  float ExplosionTime = 0;
  float FlightTime = 0;
  int32_t TickCountdown = 0;
  float CameraY = 0;
  float ShakeOffset = 0;
  std::array<CloudRec, kCloudCount> Clouds{};
  std::array<ParticleRec, kParticleCount> Particles{};
};

struct KeyFlags {
  bool KeyThrustUp = false;
  bool KeyThrustLeft = false;
  bool KeyThrustRight = false;
  bool KeyParachute = false;
  bool KeyMenuEnter = false;
  bool KeyMenuDown = false;
};

struct MenuState {
  int16_t MenuChoice = 0;
  std::array<float, 3> ButtonWobble{};
  float StartFade = 0;
  bool StartPending = false;
};

struct HighScoreState {
  int16_t NewEntryRank = 0;
  std::string PlayerName;
  bool NameConfirmed = false;
};

struct Textures {
  Texture TexLogo, TexFontBitmap, TexFont, TexLand, TexLand2, TexLander, TexLanderBroke,
      TexParachute, TexShade, TexLights, TexStars, TexCloud, TexParticles, TexStatus, TexLanding,
      TexSignalLine, TexMainMenu, TexButtonNewGame, TexButtonHighScores, TexButtonExit,
      TexEnterName, TexMenuHs, TexKeys, TexHints, TexBackSky;
};

// What the shell lays over a flight, none of it the round's: the rules never
// read it, and without it a flight draws as it always has.
struct FlightExtras {
  // A replay's craft raced against, in the same world; null when there is none.
  const RoundState* Ghost = nullptr;
  // The ghost's round is over: won in GhostTime ticks, or lost.
  bool GhostOver = false;
  bool GhostWon = false;
  int32_t GhostTime = 0;
  // A replay is being watched, not flown.
  bool ReplayMark = false;
};

struct Game {
  Game(MediaEngine& engine, ScoreBoard* scores, Random& random)
      : Engine(engine), Scores(scores), Rnd(random) {}

  MediaEngine& Engine;
  ScoreBoard* Scores;  // null until the score store exists
  Random& Rnd;

  ShellState Shell;
  RoundState Round;
  KeyFlags Keys;
  MenuState Menu;
  HighScoreState HighScores;
  Textures Tex;
  const FlightExtras* Extras = nullptr;
};

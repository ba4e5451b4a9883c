#pragma once

struct Game;

// Loading and release of every picture and sound, at start-up and shutdown.
// Each routine stops at its first failing operation; the caller's step rule
// carries on with the next routine.
void LoadTexturesAndShowLogo(Game& g);
void CreateGameFont(Game& g);
// `waitForLogo` false skips the one-second logo wait (headless runs).
void LoadSoundsAndWaitForLogo(Game& g, bool waitForLogo);
void ReleaseTextures(Game& g);

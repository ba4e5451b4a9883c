#pragma once
#include <SDL.h>

#include <cstdint>

// The game's scan code for an SDL key position, or -1 for a key the game
// never reads. Letters go by position, as the game read scan codes: the key
// left of S is "A" on every layout.
int32_t GameKeyFromScancode(SDL_Scancode scancode);

#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

class MediaEngine;

// Every sound the game loads, plays or stops. The engine knows a sound only
// by its name; the rules name it through this enum, so a misspelt sound is a
// compile error instead of a silent one.
enum class Sound {
  kLogo,
  kLanderOpen,
  kKey,
  kMenuOption,
  kEnter,
  kThrustersUp,
  kThrustersLeft,
  kThrustersRight,
  kOnFire,
  kOnFire2,
  kFire,
  kParachuteOpen,
  kParachute,
  kFuel,
  kExplosion,
  kHighScoreName,
  kMenu,
  kParachuteOnWind,
};

struct SoundEntry {
  Sound id;
  const char* name;  // the engine's name for it
  const char* file;  // null: never loaded
};

// In the order of the enum, which is also the loading order: the logo with
// its picture, the others after all pictures. The three thrusters are one
// file under three names, so each can be started and stopped on its own.
inline constexpr std::array<SoundEntry, 18> kSoundTable = {{
    {Sound::kLogo, "logo", "files\\logo.wav"},
    {Sound::kLanderOpen, "lander_open", "files\\lander_open.wav"},
    {Sound::kKey, "key", "files\\key.wav"},
    {Sound::kMenuOption, "menu_opt", "files\\menu_opt.wav"},
    {Sound::kEnter, "enter", "files\\enter.wav"},
    {Sound::kThrustersUp, "thrusters_u", "files\\thrusters.wav"},
    {Sound::kThrustersLeft, "thrusters_l", "files\\thrusters.wav"},
    {Sound::kThrustersRight, "thrusters_r", "files\\thrusters.wav"},
    {Sound::kOnFire, "onfire", "files\\onfire.wav"},
    {Sound::kOnFire2, "onfire2", "files\\onfire2.wav"},
    {Sound::kFire, "fire", "files\\fire.wav"},
    {Sound::kParachuteOpen, "parachute_open", "files\\parachute_open.wav"},
    {Sound::kParachute, "parachute", "files\\Parachute.wav"},
    {Sound::kFuel, "fuel", "files\\fuel.wav"},
    {Sound::kExplosion, "explosion", "files\\explosion.wav"},
    {Sound::kHighScoreName, "hs_name", "files\\hs_name.wav"},
    {Sound::kMenu, "menu", "files\\menu.wav"},
    // Played while the canopy unfolds and stopped once it is cut, but the
    // game never loads a file under this name: the engine ignores a name it
    // does not know, so both calls stay silent, as they always were.
    {Sound::kParachuteOnWind, "parachute_on_wind", nullptr},
}};

constexpr const SoundEntry& SoundOf(Sound sound) {
  return kSoundTable[static_cast<std::size_t>(sound)];
}

// The engine's sound operations, naming the sound through the table.
void LoadSound(MediaEngine& e, Sound sound);
void PlaySound(MediaEngine& e, Sound sound, bool loop, int32_t volume, int32_t balance,
               int32_t rate);
void SetSoundVolume(MediaEngine& e, Sound sound, int32_t volume);
void StopSound(MediaEngine& e, Sound sound, bool flag);

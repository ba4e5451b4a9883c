#include "core/sounds.h"

#include "components/media/media_engine.h"

namespace {

constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i < kSoundTable.size(); ++i)
    if (static_cast<std::size_t>(kSoundTable[i].id) != i) return false;
  return true;
}
static_assert(InEnumOrder(), "SoundOf looks a sound up by its place in the table");

}  // namespace

// A sound without a file has nothing to load.
void LoadSound(MediaEngine& e, Sound sound) {
  const SoundEntry& s = SoundOf(sound);
  if (s.file) e.LoadSound(s.name, s.file);
}

void PlaySound(MediaEngine& e, Sound sound, bool loop, int32_t volume, int32_t balance,
               int32_t rate) {
  e.PlaySound(SoundOf(sound).name, loop, volume, balance, rate);
}

void SetSoundVolume(MediaEngine& e, Sound sound, int32_t volume) {
  e.SetSoundVolume(SoundOf(sound).name, volume);
}

void StopSound(MediaEngine& e, Sound sound, bool flag) { e.StopSound(SoundOf(sound).name, flag); }

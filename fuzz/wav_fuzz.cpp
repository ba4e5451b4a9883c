// Feeds arbitrary bytes to the WAV loader: it must refuse a bad sound with a
// ComponentError naming it, never read or write outside its buffers, never
// ask for more memory than the file could fill, and whatever it accepts must
// be a playable mono or stereo 16-bit sound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/component_error.h"
#include "components/media/sdl/audio_wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = "fuzz.wav";
  try {
    const WavSound sound = DecodeWav(data, size, name);
    if (sound.channels < 1 || sound.channels > 2 || sound.rate <= 0 || sound.samples.empty() ||
        sound.samples.size() % static_cast<size_t>(sound.channels) != 0) {
      std::abort();
    }
  } catch (const ComponentError& error) {
    // One clear line that names the sound.
    if (error.Operation() != "LoadSound" || error.Reason().rfind(name + ": ", 0) != 0 ||
        error.Reason().size() <= name.size() + 2 ||
        error.Reason().find('\n') != std::string::npos) {
      std::abort();
    }
  }
  return 0;
}

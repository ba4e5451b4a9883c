#include "components/media/sdl/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#ifndef __EMSCRIPTEN__
#include <AL/efx.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <atomic>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "components/component_error.h"
#include "components/media/sdl/audio_wav.h"
#include "core/log.h"

namespace {

// OpenAL refuses a pitch of zero, and OpenAL Soft stops stepping faster
// somewhere past ten; a rate outside this window would not sound any
// different, so we clamp rather than fail.
constexpr float kMinPitch = 0.05f;
constexpr float kMaxPitch = 10.0f;

std::string AlErrorReason(ALenum error) {
  char text[32];
  std::snprintf(text, sizeof text, "OpenAL error 0x%04X", static_cast<unsigned>(error));
  return text;
}

// Reads and clears OpenAL's sticky error flag.
ALenum TakeAlError() { return alGetError(); }

void CheckAl(const std::string& operation, const std::string& prefix = std::string()) {
  const ALenum error = TakeAlError();
  if (error != AL_NO_ERROR) throw ComponentError(operation, prefix + AlErrorReason(error));
}

// Linear: volume 0 is true silence and 100 plays the file as it was made.
// The game's sounds were balanced against each other in their files, and
// its fades move the volume in small even steps, so a straight line keeps
// them even; a decibel curve would need an arbitrary floor to reach silence.
float GainFor(int32_t volume) {
  return static_cast<float>(std::clamp<int32_t>(volume, 0, 100)) / 100.0f;
}

// Only the direction of a listener-relative source counts for panning, so
// the balance walks the sound round a unit half-circle in front of the
// listener: hard left, centre ahead, hard right.
std::array<float, 3> PositionFor(int32_t balance) {
  const float p = static_cast<float>(std::clamp<int32_t>(balance, -100, 100)) / 100.0f;
  return {p, 0.0f, -std::sqrt(std::max(0.0f, 1.0f - p * p))};
}

// The game asks for a playback rate in kHz (its thrusters roar at 4, the
// data beep chirps at 88); OpenAL wants a ratio to the file's own rate.
float PitchFor(int32_t rateKhz, int32_t fileRate) {
  if (rateKhz == 0 || fileRate <= 0) return 1.0f;
  const double pitch = static_cast<double>(rateKhz) * 1000.0 / static_cast<double>(fileRate);
  return static_cast<float>(
      std::clamp(pitch, static_cast<double>(kMinPitch), static_cast<double>(kMaxPitch)));
}

// A cheap fingerprint so the same file loaded under several names (the
// three thrusters) shares one buffer, while a file rewritten between loads
// does not pick up its stale copy.
uint64_t Fingerprint(const WavSound& sound) {
  uint64_t hash = 1469598103934665603ull;
  for (int16_t sample : sound.samples) {
    const auto value = static_cast<uint16_t>(sample);
    hash = (hash ^ (value & 0xffu)) * 1099511628211ull;
    hash = (hash ^ (value >> 8)) * 1099511628211ull;
  }
  return hash;
}

struct Buffer {
  ALuint id = 0;
  std::string path;
  int32_t channels = 0;
  int32_t rate = 0;
  size_t sampleCount = 0;
  uint64_t fingerprint = 0;
};

struct Voice {
  ALuint source = 0;               // 0 when silent
  std::shared_ptr<Buffer> buffer;  // null when silent
  int32_t rate = 0;                // the file's own rate, for kHz playback rates
};

}  // namespace

struct AudioOutput::Impl {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  std::map<std::string, Voice> voices;

  // Opening the sound device takes tens of milliseconds (a sound server to
  // reach, a mixing thread to start), so it runs beside the window's first
  // frames: the logo is up before the sound is. Files loaded meanwhile are
  // checked at once and handed to the device when it is ready.
  struct PendingLoad {
    std::string name, path;
    WavSound sound;
  };
  std::thread opener;
  std::atomic<bool> opened{false};
  std::string openProblem;  // written by the opener, logged here once joined
  std::vector<PendingLoad> pending;

  void Open() {
    device = alcOpenDevice(nullptr);
    if (device == nullptr) {
      openProblem = "no audio device: running silent";
    } else {
      // No sound of the game goes through an effect: without the two
      // effect sends of each of the library's 256 voices, a megabyte of
      // mixing state is never made.
#ifdef __EMSCRIPTEN__
      // The browser's OpenAL has no effects, and refuses a context asked
      // for by an attribute it does not know.
      const ALCint attributes[] = {0};
#else
      const ALCint attributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};
#endif
      context = alcCreateContext(device, attributes);
      if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr) alcDestroyContext(context);
        context = nullptr;
        alcCloseDevice(device);
        device = nullptr;
        openProblem = "no audio context on the sound device: running silent";
      }
    }
    opened = true;
  }

  // Waits for the device, then gives it what was loaded meanwhile. Every
  // use of OpenAL goes through here first.
  void Settle() {
    if (!opener.joinable()) return;
    opener.join();
    if (!openProblem.empty()) LogOnce(openProblem);
    std::vector<PendingLoad> waiting = std::move(pending);
    pending.clear();
    for (PendingLoad& load : waiting) {
      // The file was already found sound; what can fail now is the device
      // (out of memory), and the sound that asked is not the one to blame.
      try {
        Install(load.name, load.path, load.sound);
      } catch (const ComponentError& error) {
        LogOnce(error.what());
      }
    }
  }

  bool HasDevice() {
    Settle();
    return context != nullptr;
  }

  // Several outputs may live in one process (tests); each call works on
  // its own context.
  void MakeCurrent() const {
    if (alcGetCurrentContext() != context) alcMakeContextCurrent(context);
  }

  // The source of a loaded name on a live device, or 0.
  ALuint SourceOf(const std::string& name) {
    if (!HasDevice()) return 0;
    const auto it = voices.find(name);
    if (it == voices.end()) return 0;
    MakeCurrent();
    TakeAlError();
    return it->second.source;
  }

  std::shared_ptr<Buffer> FindBuffer(const std::string& path, const WavSound& sound,
                                     uint64_t fingerprint) const {
    for (const auto& entry : voices) {
      const std::shared_ptr<Buffer>& buffer = entry.second.buffer;
      if (buffer && buffer->path == path && buffer->channels == sound.channels &&
          buffer->rate == sound.rate && buffer->sampleCount == sound.samples.size() &&
          buffer->fingerprint == fingerprint) {
        return buffer;
      }
    }
    return nullptr;
  }

  std::shared_ptr<Buffer> MakeBuffer(const std::string& path, const WavSound& sound,
                                     uint64_t fingerprint) {
    auto buffer = std::make_shared<Buffer>();
    alGenBuffers(1, &buffer->id);
    CheckAl("LoadSound", path + ": ");
    buffer->path = path;
    buffer->channels = sound.channels;
    buffer->rate = sound.rate;
    buffer->sampleCount = sound.samples.size();
    buffer->fingerprint = fingerprint;
    alBufferData(buffer->id, sound.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16,
                 sound.samples.data(), static_cast<ALsizei>(sound.samples.size() * sizeof(int16_t)),
                 sound.rate);
    const ALenum error = TakeAlError();
    if (error != AL_NO_ERROR) {
      alDeleteBuffers(1, &buffer->id);
      TakeAlError();
      throw ComponentError("LoadSound", path + ": " + AlErrorReason(error));
    }
    return buffer;
  }

  // Deletes the buffer once no source holds it any more.
  static void Release(std::shared_ptr<Buffer> buffer) {
    if (buffer && buffer.use_count() == 1) alDeleteBuffers(1, &buffer->id);
  }

  void Load(const std::string& name, const std::string& path) {
    // Validate first, device or not: a broken file is reported on a silent
    // machine too.
    WavSound sound = LoadWav(path);
    if (opener.joinable() && !opened) {
      std::erase_if(pending, [&](const PendingLoad& load) { return load.name == name; });
      pending.push_back({name, path, std::move(sound)});
      return;
    }
    Install(name, path, sound);
  }

  bool IsLoaded(const std::string& name) const {
    if (voices.count(name) != 0) return true;
    return std::any_of(pending.begin(), pending.end(),
                       [&](const PendingLoad& load) { return load.name == name; });
  }

  void Install(const std::string& name, const std::string& path, const WavSound& sound) {
    if (!HasDevice()) {
      Voice& voice = voices[name];
      voice.rate = sound.rate;
      return;
    }
    MakeCurrent();
    TakeAlError();
    const uint64_t fingerprint = Fingerprint(sound);
    std::shared_ptr<Buffer> buffer = FindBuffer(path, sound, fingerprint);
    if (!buffer) buffer = MakeBuffer(path, sound, fingerprint);

    const auto existing = voices.find(name);
    if (existing != voices.end()) {
      Voice& voice = existing->second;
      alSourceStop(voice.source);
      alSourcei(voice.source, AL_BUFFER, static_cast<ALint>(buffer->id));
      const ALenum error = TakeAlError();
      if (error != AL_NO_ERROR) {
        Release(std::move(buffer));
        TakeAlError();
        throw ComponentError("LoadSound", path + ": " + AlErrorReason(error));
      }
      std::shared_ptr<Buffer> old = std::move(voice.buffer);
      voice.buffer = buffer;
      voice.rate = sound.rate;
      buffer.reset();
      Release(std::move(old));
      CheckAl("LoadSound", path + ": ");
      return;
    }

    ALuint source = 0;
    alGenSources(1, &source);
    ALenum error = TakeAlError();
    if (error == AL_NO_ERROR) {
      alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer->id));
      // Panning comes from the direction of a listener-relative position
      // alone; distance must never soften a sound.
      alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
      alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
      error = TakeAlError();
      if (error != AL_NO_ERROR) {
        alDeleteSources(1, &source);
        TakeAlError();
      }
    }
    if (error != AL_NO_ERROR) {
      Release(std::move(buffer));
      TakeAlError();
      throw ComponentError("LoadSound", path + ": " + AlErrorReason(error));
    }
    Voice voice;
    voice.source = source;
    voice.buffer = std::move(buffer);
    voice.rate = sound.rate;
    voices[name] = std::move(voice);
  }

  void Play(const std::string& name, bool loop, int32_t volume, int32_t balance, int32_t rateKhz) {
    const ALuint source = SourceOf(name);
    if (source == 0) return;
    // Stop and rewind first: the game restarts a sound that is still
    // ringing (a second beep, a thruster fired again) from its first sample.
    alSourceStop(source);
    alSourceRewind(source);
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_GAIN, GainFor(volume));
    const std::array<float, 3> position = PositionFor(balance);
    alSource3f(source, AL_POSITION, position[0], position[1], position[2]);
    alSourcef(source, AL_PITCH, PitchFor(rateKhz, voices.at(name).rate));
    alSourcePlay(source);
    CheckAl("PlaySound");
  }

  void SetVolume(const std::string& name, int32_t volume) {
    const ALuint source = SourceOf(name);
    if (source == 0) return;
    alSourcef(source, AL_GAIN, GainFor(volume));
    CheckAl("SetSoundVolume");
  }

  void Stop(const std::string& name) {
    const ALuint source = SourceOf(name);
    if (source == 0) return;
    alSourceStop(source);
    CheckAl("StopSound");
  }

  float SourceFloat(const std::string& name, ALenum parameter) {
    const ALuint source = SourceOf(name);
    if (source == 0) return 0.0f;
    ALfloat value = 0.0f;
    alGetSourcef(source, parameter, &value);
    return TakeAlError() == AL_NO_ERROR ? value : 0.0f;
  }

  ALint SourceInt(const std::string& name, ALenum parameter) {
    const ALuint source = SourceOf(name);
    if (source == 0) return 0;
    ALint value = 0;
    alGetSourcei(source, parameter, &value);
    return TakeAlError() == AL_NO_ERROR ? value : 0;
  }

  std::array<float, 3> Position(const std::string& name) {
    const ALuint source = SourceOf(name);
    if (source == 0) return {0.0f, 0.0f, 0.0f};
    ALfloat x = 0.0f, y = 0.0f, z = 0.0f;
    alGetSource3f(source, AL_POSITION, &x, &y, &z);
    if (TakeAlError() != AL_NO_ERROR) return {0.0f, 0.0f, 0.0f};
    return {x, y, z};
  }

  // Runs from the destructor too, so it reports instead of throwing.
  void Shutdown() {
    pending.clear();  // never handed to a device that is going away
    if (HasDevice()) {
      MakeCurrent();
      TakeAlError();
      std::set<ALuint> buffers;
      for (auto& entry : voices) {
        alSourceStop(entry.second.source);
        alDeleteSources(1, &entry.second.source);
        if (entry.second.buffer) buffers.insert(entry.second.buffer->id);
      }
      for (ALuint id : buffers) alDeleteBuffers(1, &id);
      const ALenum error = TakeAlError();
      if (error != AL_NO_ERROR) LogOnce("ShutdownSound: " + AlErrorReason(error));
      voices.clear();
      if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
      alcDestroyContext(context);
      context = nullptr;
    }
    if (device != nullptr) {
      alcCloseDevice(device);
      device = nullptr;
    }
    voices.clear();
  }
};

AudioOutput::AudioOutput(bool enabled) : impl_(std::make_unique<Impl>()) {
  if (!enabled) return;
  Impl* impl = impl_.get();
  try {
    impl->opener = std::thread([impl] { impl->Open(); });
  } catch (const std::system_error&) {
    impl->Open();  // no thread to spare: open it here
  }
}

AudioOutput::~AudioOutput() { Shutdown(); }

bool AudioOutput::HasDevice() const { return impl_->HasDevice(); }

void AudioOutput::Load(const std::string& name, const std::string& path) {
  impl_->Load(name, path);
}

bool AudioOutput::IsLoaded(const std::string& name) const { return impl_->IsLoaded(name); }

void AudioOutput::Play(const std::string& name, bool loop, int32_t volume, int32_t balance,
                       int32_t rateKhz) {
  impl_->Play(name, loop, volume, balance, rateKhz);
}

void AudioOutput::SetVolume(const std::string& name, int32_t volume) {
  impl_->SetVolume(name, volume);
}

void AudioOutput::Stop(const std::string& name) { impl_->Stop(name); }

bool AudioOutput::IsPlaying(const std::string& name) const {
  return impl_->SourceInt(name, AL_SOURCE_STATE) == AL_PLAYING;
}

float AudioOutput::Gain(const std::string& name) const { return impl_->SourceFloat(name, AL_GAIN); }

float AudioOutput::Pitch(const std::string& name) const {
  return impl_->SourceFloat(name, AL_PITCH);
}

bool AudioOutput::IsLooping(const std::string& name) const {
  return impl_->SourceInt(name, AL_LOOPING) == AL_TRUE;
}

std::array<float, 3> AudioOutput::Position(const std::string& name) const {
  return impl_->Position(name);
}

float AudioOutput::PlaybackSeconds(const std::string& name) const {
  return impl_->SourceFloat(name, AL_SEC_OFFSET);
}

void AudioOutput::Shutdown() { impl_->Shutdown(); }

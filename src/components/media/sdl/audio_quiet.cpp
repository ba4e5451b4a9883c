#include "components/media/sdl/audio_quiet.h"

#include <cstdlib>

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace {

#if defined(__linux__)
// alsa-lib's error handler type; its messages are printed by a handler the
// library calls, which we replace with one that says nothing.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err,
                                  const char* format, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler);

void SayNothing(const char*, int, const char*, int, const char*, ...) {}

// OpenAL Soft opens alsa-lib itself with dlopen when it tries the ALSA
// device. Loading the same library first gives both the one instance, so the
// handler set here is the one it reports through. The library stays loaded:
// closing it would let OpenAL Soft load it afresh with the noisy handler.
void QuietAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (alsa == nullptr) return;  // no ALSA here, nothing to quiet
  auto set = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (set != nullptr) set(&SayNothing);
}
#endif

}  // namespace

void QuietAudioLibraries() {
#if defined(_WIN32)
  if (std::getenv("ALSOFT_LOGLEVEL") == nullptr) _putenv_s("ALSOFT_LOGLEVEL", "0");
#else
  setenv("ALSOFT_LOGLEVEL", "0", /*overwrite=*/0);
#endif
#if defined(__linux__)
  QuietAlsa();
#endif
}

#pragma once

// Keeps the sound libraries' own diagnostics off stderr, so a machine with no
// sound card shows only the game's one line ("no audio device: running
// silent") instead of a screenful of ALSA and OpenAL Soft chatter. Call it
// before any thread starts (it sets the environment), and only when the
// player has not asked for --verbose. A log level the player set for OpenAL
// Soft (ALSOFT_LOGLEVEL) is left as it is.
void QuietAudioLibraries();

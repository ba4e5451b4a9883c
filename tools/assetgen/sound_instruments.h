#pragma once
#include "sound_synth.h"

// The synthesiser voices of the music and the stings. Each renders one note
// held for `seconds` and returns it with its release tail, ready to mix.
double NoteHz(double midiNote);  // 69 = A4 = 440 Hz

// Warm analogue-style pad: three detuned saws under a slowly breathing low pass.
Signal PadNote(int rate, double hz, double seconds, double attack, double release);
// Glassy FM bell, the arpeggio's sparkle.
Signal BellNote(int rate, double hz, double seconds, double decay);
// Soft singing lead: triangle and sine with a vibrato that grows in.
Signal LeadNote(int rate, double hz, double seconds);
// Round synth bass with a little bite for small speakers.
Signal BassNote(int rate, double hz, double seconds);
// Bright brass for the fanfare: the filter opens on each attack.
Signal BrassNote(int rate, double hz, double seconds);

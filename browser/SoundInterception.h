// Silencing this process's own sound where the system has no per-program
// volume (Windows XP and older): the wave, MIDI-stream and DirectSound output
// of every module in the process, the game's player included, goes through
// replacements that hand the audio libraries zeros instead of samples while
// the sound is suppressed.
#pragma once

// Redirects waveOutWrite, midiStreamOut and DirectSoundCreate, all or none,
// and registers their restoration for the end of the process. True when
// installed (now or before); false, with a debug message saying why, leaves
// the sound as it is.
bool InstallSoundInterception();
bool SoundInterceptionInstalled();

// on 1: what is written from now on is silence; 0: the samples pass. Samples
// queued before still play.
void SuppressSound(int on);

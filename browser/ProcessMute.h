// The page process's own sound switch, which the game frame calls when the
// main window's mute state changes. Only this process's sound is affected.
#pragma once

#include <windows.h>

// Mixer line component types and the control type the switch uses.
constexpr DWORD kMixerLineSpeakers = 4;       // MIXERLINE_COMPONENTTYPE_DST_SPEAKERS
constexpr DWORD kMixerLineWaveOut = 0x1008;   // MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT
constexpr DWORD kMixerControlMute = 0x20010002;  // MIXERCONTROL_CONTROLTYPE_MUTE

// on 1: this process's sound off; 0: on. Newer systems (major version above
// 5) keep a volume per program, reached through the legacy mixer's mute
// controls; on older ones the process silences its own audio output
// (browser/SoundInterception.h).
void SetProcessMute(int on);
// What was last asked of SetProcessMute (-1 before the first call).
int LastProcessMuteRequest();

// Sets the mute control of mixer 0's line of the given component type; true
// when the control took the value. Failures are silent to the player.
bool MuteMixerLine(DWORD componentType, int on);
// The same control read back: 0 or 1, or -1 when it cannot be read.
int ReadMixerLineMute(DWORD componentType);

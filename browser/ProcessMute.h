// The page process's own sound switch, which the game frame calls when the
// main window's mute state changes.
#pragma once

// on 1: this process's sound off; 0: on. Only this process is affected.
void SetProcessMute(int on);
// What was last asked of SetProcessMute (-1 before the first call).
int LastProcessMuteRequest();

#include "browser/ProcessMute.h"

namespace {
int g_lastRequest = -1;
}

void SetProcessMute(int on) {
    // The muting itself (mixer mute on newer systems, silenced output on
    // older ones) arrives with the sound work; the request is kept so far.
    g_lastRequest = on;
}

int LastProcessMuteRequest() { return g_lastRequest; }

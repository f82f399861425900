#include "browser/ProcessMute.h"

#include <mmsystem.h>

#include <cstdio>

#include "browser/SoundInterception.h"

namespace {

int g_lastRequest = -1;

// The structure sizes the mixer calls are made with, as the 32-bit system expects them.
static_assert(sizeof(void*) != 4 || sizeof(MIXERLINEW) == 280, "MIXERLINEW");
static_assert(sizeof(void*) != 4 || sizeof(MIXERLINECONTROLSW) == 24, "MIXERLINECONTROLSW");
static_assert(sizeof(void*) != 4 || sizeof(MIXERCONTROLW) == 228, "MIXERCONTROLW");
static_assert(sizeof(MIXERCONTROLDETAILS_BOOLEAN) == 4, "one 4-byte boolean");

// Every call names the mixer by its handle.
constexpr DWORD kByHandle = 0x80000000;  // MIXER_OBJECTF_HMIXER
static_assert(kByHandle == MIXER_OBJECTF_HMIXER, "MIXER_OBJECTF_HMIXER");

void Log(const wchar_t* text, DWORD componentType, MMRESULT result) {
    wchar_t line[160];
    _snwprintf(line, 159, L"VexoQuon: mixer line 0x%lX: %ls failed (%u)", componentType, text, result);
    line[159] = 0;
    ::OutputDebugStringW(line);
}

// Mixer 0, closed when the holder goes.
class Mixer {
public:
    Mixer() { m_result = ::mixerOpen(&m_mixer, 0, 0, 0, kByHandle); }
    ~Mixer() { if (m_result == MMSYSERR_NOERROR) ::mixerClose(m_mixer); }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;
    MMRESULT Result() const { return m_result; }
    HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(m_mixer); }

private:
    HMIXER m_mixer = nullptr;
    MMRESULT m_result;
};

// Finds the mute control of the line of `componentType` and reads its one
// boolean into `value`, set up for writing it back.
bool ReadMute(const Mixer& mixer, DWORD componentType, MIXERCONTROLDETAILS& details,
              MIXERCONTROLDETAILS_BOOLEAN& value) {
    MIXERLINEW line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    MMRESULT r = ::mixerGetLineInfoW(mixer.Object(), &line, kByHandle | MIXER_GETLINEINFOF_COMPONENTTYPE);
    if (r != MMSYSERR_NOERROR) {
        Log(L"line information", componentType, r);
        return false;
    }
    MIXERCONTROLW control{};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = kMixerControlMute;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    r = ::mixerGetLineControlsW(mixer.Object(), &controls, kByHandle | MIXER_GETLINECONTROLSF_ONEBYTYPE);
    if (r != MMSYSERR_NOERROR) {
        Log(L"mute control", componentType, r);
        return false;
    }
    details = MIXERCONTROLDETAILS{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    r = ::mixerGetControlDetailsW(mixer.Object(), &details, kByHandle | MIXER_GETCONTROLDETAILSF_VALUE);
    if (r != MMSYSERR_NOERROR) {
        Log(L"reading the mute control", componentType, r);
        return false;
    }
    return true;
}

DWORD WindowsMajorVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
    return info.dwMajorVersion;
}

}  // namespace

bool MuteMixerLine(DWORD componentType, int on) {
    ::mixerGetNumDevs();  // asked first; the answer does not matter
    Mixer mixer;
    if (mixer.Result() != MMSYSERR_NOERROR) {
        Log(L"opening mixer 0", componentType, mixer.Result());
        return false;
    }
    MIXERCONTROLDETAILS details;
    MIXERCONTROLDETAILS_BOOLEAN value{};
    if (!ReadMute(mixer, componentType, details, value)) return false;
    value.fValue = on ? 1 : 0;
    MMRESULT r = ::mixerSetControlDetails(mixer.Object(), &details, kByHandle | MIXER_SETCONTROLDETAILSF_VALUE);
    if (r != MMSYSERR_NOERROR) Log(L"writing the mute control", componentType, r);
    return r == MMSYSERR_NOERROR;
}

int ReadMixerLineMute(DWORD componentType) {
    Mixer mixer;
    if (mixer.Result() != MMSYSERR_NOERROR) return -1;
    MIXERCONTROLDETAILS details;
    // A value no control reports: a mixer that answers without filling it in said nothing.
    MIXERCONTROLDETAILS_BOOLEAN value{};
    value.fValue = 0x55AA;
    if (!ReadMute(mixer, componentType, details, value)) return -1;
    return value.fValue == 0 || value.fValue == 1 ? static_cast<int>(value.fValue) : -1;
}

void SetProcessMute(int on) {
    g_lastRequest = on;
    if (WindowsMajorVersion() > 5) {
        // Each line on its own: one that fails does not keep the other.
        MuteMixerLine(kMixerLineWaveOut, on);
        MuteMixerLine(kMixerLineSpeakers, on);
        return;
    }
    // Installed once; when it cannot be, it said why and the flag reaches nothing.
    InstallSoundInterception();
    SuppressSound(on);
}

int LastProcessMuteRequest() { return g_lastRequest; }

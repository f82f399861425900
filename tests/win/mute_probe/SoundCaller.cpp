// sound_caller.dll: audio output of a module that the mute probe loads only
// after the sound interception is in place, as a game's player is loaded
// after the page process muted itself. It reaches winmm and DirectSound
// through its own imports, never through the probe's.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstring>

namespace {

constexpr unsigned char kSample = 0x5A;

// 'Z' all zero, 'U' untouched (all kSample), 'M' anything else.
char Verdict(const void* data, DWORD bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    bool zero = true, untouched = true;
    for (DWORD i = 0; i < bytes; ++i) {
        zero = zero && p[i] == 0;
        untouched = untouched && p[i] == kSample;
    }
    return zero ? 'Z' : untouched ? 'U' : 'M';
}

char Both(char a, char b) { return a == b ? a : 'M'; }

WAVEFORMATEX Pcm16Stereo() {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = 44100;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = 44100 * 4;
    return f;
}

void Wave(char& verdict, long& result) {
    static char data[4096];
    std::memset(data, kSample, sizeof data);
    WAVEFORMATEX format = Pcm16Stereo();
    HWAVEOUT out = nullptr;
    bool open = ::waveOutOpen(&out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR;
    WAVEHDR header{};
    header.lpData = data;
    header.dwBufferLength = sizeof data;
    if (open) ::waveOutPrepareHeader(out, &header, sizeof header);
    result = ::waveOutWrite(out, &header, sizeof header);
    verdict = Verdict(data, sizeof data);
    if (open) {
        ::waveOutReset(out);
        ::waveOutUnprepareHeader(out, &header, sizeof header);
        ::waveOutClose(out);
    }
}

void Midi(char& verdict, long& result) {
    static char data[256];
    std::memset(data, kSample, sizeof data);
    MIDIHDR header{};
    header.lpData = data;
    header.dwBufferLength = sizeof data;
    header.dwBytesRecorded = sizeof data;
    // No MIDI device here (and Wine's midiStreamOpen trips over itself once
    // an open has failed): the call on no stream fails, after the buffer went
    // through whatever intercepts it.
    result = ::midiStreamOut(nullptr, &header, sizeof header);
    verdict = Verdict(data, sizeof data);
}

void Sound(char& verdict, long& result) {
    verdict = 'X';
    IDirectSound* sound = nullptr;
    result = ::DirectSoundCreate(nullptr, &sound, nullptr);
    if (FAILED(result) || !sound) return;
    sound->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_PRIORITY);
    // The primary buffer first, as players set their output format through it.
    DSBUFFERDESC primaryDesc{};
    primaryDesc.dwSize = sizeof primaryDesc;
    primaryDesc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    sound->CreateSoundBuffer(&primaryDesc, &primary, nullptr);

    WAVEFORMATEX format = Pcm16Stereo();
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = 8192;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    result = sound->CreateSoundBuffer(&desc, &buffer, nullptr);
    if (SUCCEEDED(result) && buffer) {
        // A lock across the end of the buffer: two regions.
        void *first = nullptr, *second = nullptr;
        DWORD firstBytes = 0, secondBytes = 0;
        result = buffer->Lock(6144, 4096, &first, &firstBytes, &second, &secondBytes, 0);
        if (SUCCEEDED(result) && firstBytes == 2048 && secondBytes == 2048) {
            std::memset(first, kSample, firstBytes);
            std::memset(second, kSample, secondBytes);
            result = buffer->Unlock(first, firstBytes, second, secondBytes);
            void* all = nullptr;
            DWORD allBytes = 0;
            if (SUCCEEDED(buffer->Lock(0, 0, &all, &allBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER)) &&
                allBytes == 8192) {
                const char* p = static_cast<const char*>(all);
                verdict = Both(Verdict(p + 6144, 2048), Verdict(p, 2048));
                buffer->Unlock(all, allBytes, nullptr, 0);
            }
        }
        buffer->Release();
    }
    if (primary) primary->Release();
    sound->Release();
}

}  // namespace

// Writes known samples through waveOutWrite, midiStreamOut and
// IDirectSoundBuffer::Unlock and says what became of them: three verdicts
// ('Z' silenced, 'U' untouched, 'M' mixed, 'X' not run) and the calls' results.
extern "C" __declspec(dllexport) void WriteKnownBuffers(char verdicts[3], long results[3]) {
    Wave(verdicts[0], results[0]);
    Midi(verdicts[1], results[1]);
    Sound(verdicts[2], results[2]);
}

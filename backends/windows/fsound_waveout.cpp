// The sound layer of the Windows program: the six FSOUND operations over
// waveOut, with the mixer of mixer_core.cpp filling its buffers.
//
// Samples live in a fixed table of slots for the whole run; a handle is the
// address of its slot. A play on a fixed channel halts what the channel played
// and starts from the top. WAV files are decoded here, MP3 files through the
// MP3 codec that comes with Windows (ACM), both once, at load, into stereo at
// the mixing rate, within the limits of mixer_core.h (a plain file of at most
// 16 MB holding at most a minute of sound). Without an audio device every call
// is a quiet no-op: loads give null handles, plays nothing.
#include "sound/fsound.h"

#include <windows.h>
// After <windows.h>:
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <vector>

#include "sound/mixer_core.h"

struct FSOUND_SAMPLE {
    MixerSound sound;
    bool loaded;
    bool loop;
};

namespace {

constexpr int BUFFERS = 4;
constexpr int BUFFER_FRAMES = 1024; // about 23 ms at 44.1 kHz

FSOUND_SAMPLE slots[SOUND_SLOTS];
bool audioOpen = false;
int mixRate = 0;

// The mixer's table is shared with the thread that fills the device's buffers.
CRITICAL_SECTION mixerLock;
HWAVEOUT device = nullptr;
HANDLE bufferDone = nullptr;
WAVEHDR headers[BUFFERS];
std::vector<int16_t> buffers[BUFFERS];

FSOUND_SAMPLE *SlotOf(FSOUND_SAMPLE *sample) {
    for (FSOUND_SAMPLE &slot : slots)
        if (&slot == sample)
            return &slot;
    return nullptr;
}

void FillAndQueue(WAVEHDR &header) {
    EnterCriticalSection(&mixerLock);
    MixerRender(reinterpret_cast<int16_t *>(header.lpData), BUFFER_FRAMES);
    LeaveCriticalSection(&mixerLock);
    waveOutWrite(device, &header, sizeof header);
}

// Refills each buffer the device has finished with, for the whole run.
DWORD WINAPI FeedDevice(void *) {
    for (;;) {
        WaitForSingleObject(bufferDone, INFINITE);
        for (WAVEHDR &header : headers)
            if (header.dwFlags & WHDR_DONE)
                FillAndQueue(header);
    }
}

// An MP3 stream through the ACM codec into 16-bit PCM, then to the mixer's
// form. The stream was measured before, so the output is bounded.
bool DecodeMp3(const std::vector<unsigned char> &bytes, MixerSound *out) {
    Mp3Stream stream;
    if (!MixerFindMp3(bytes.data(), bytes.size(), &stream))
        return false;
    MPEGLAYER3WAVEFORMAT source{};
    source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    source.wfx.nChannels = static_cast<WORD>(stream.channels);
    source.wfx.nSamplesPerSec = static_cast<DWORD>(stream.rate);
    source.wfx.nAvgBytesPerSec = static_cast<DWORD>(stream.kbps * 1000 / 8);
    source.wfx.nBlockAlign = 1;
    source.wfx.wBitsPerSample = 0;
    source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    source.wID = MPEGLAYER3_ID_MPEG;
    source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    source.nBlockSize =
        static_cast<WORD>((stream.mpeg1 ? 144 : 72) * stream.kbps * 1000 / stream.rate);
    source.nFramesPerBlock = 1;
    source.nCodecDelay = 0;
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = static_cast<WORD>(stream.channels);
    pcm.nSamplesPerSec = static_cast<DWORD>(stream.rate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(2 * stream.channels);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;

    HACMSTREAM acm = nullptr;
    if (acmStreamOpen(&acm, nullptr, &source.wfx, &pcm, nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != 0)
        return false;
    // A minute of the file's own rate and channels is the most it may give.
    const size_t limit =
        static_cast<size_t>(SOUND_MAX_SECONDS * stream.rate + 1152) * pcm.nBlockAlign;
    constexpr DWORD IN_CHUNK = 16 * 1024;
    DWORD outChunk = 0;
    bool ok = acmStreamSize(acm, IN_CHUNK, &outChunk, ACM_STREAMSIZEF_SOURCE) == 0;
    std::vector<unsigned char> in(IN_CHUNK), decoded, part(outChunk);
    size_t at = stream.offset;
    const size_t end = stream.offset + stream.length;
    size_t pending = 0; // source bytes the codec left over last time
    bool last = false;
    while (ok && !last) {
        const size_t take = std::min<size_t>(IN_CHUNK - pending, end - at);
        std::copy(bytes.begin() + at, bytes.begin() + at + take, in.begin() + pending);
        at += take;
        last = at == end;
        ACMSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = in.data();
        header.cbSrcLength = static_cast<DWORD>(pending + take);
        header.pbDst = part.data();
        header.cbDstLength = outChunk;
        if (acmStreamPrepareHeader(acm, &header, 0) != 0) {
            ok = false;
            break;
        }
        const DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN | (last ? ACM_STREAMCONVERTF_END : 0);
        ok = acmStreamConvert(acm, &header, flags) == 0;
        const DWORD used = header.cbSrcLengthUsed, made = header.cbDstLengthUsed;
        acmStreamUnprepareHeader(acm, &header, 0);
        if (!ok)
            break;
        decoded.insert(decoded.end(), part.begin(), part.begin() + made);
        if (decoded.size() > limit)
            ok = false;
        pending = pending + take - used;
        std::copy(in.begin() + used, in.begin() + used + pending, in.begin());
        if (!last && used == 0 && made == 0 && pending == IN_CHUNK)
            ok = false; // the codec takes nothing more: give up rather than spin
    }
    acmStreamClose(acm, 0);
    if (!ok || decoded.empty())
        return false;
    MixerConvertPcm16(reinterpret_cast<const int16_t *>(decoded.data()),
                      decoded.size() / pcm.nBlockAlign, stream.channels, stream.rate, mixRate, out);
    return true;
}

bool DecodeSoundFile(const char *fileName, MixerSound *out) {
    const std::vector<unsigned char> bytes = ReadSoundFile(fileName);
    if (bytes.empty())
        return false;
    return MixerDecodeWav(bytes.data(), bytes.size(), mixRate, out) || DecodeMp3(bytes, out);
}

} // namespace

float FSOUND_GetVersion() {
    return FSOUND_VERSION;
}

signed char FSOUND_Init(int rate, int, unsigned int) {
    if (audioOpen)
        return 1;
    if (rate < SOUND_MIN_RATE || rate > SOUND_MAX_RATE)
        return 0;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (bufferDone == nullptr)
        return 0;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        CloseHandle(bufferDone);
        bufferDone = nullptr;
        device = nullptr;
        return 0; // no audio device: the game runs silent
    }
    InitializeCriticalSection(&mixerLock);
    MixerReset();
    mixRate = rate;
    for (int i = 0; i < BUFFERS; ++i) {
        buffers[i].assign(2 * BUFFER_FRAMES, 0);
        headers[i] = WAVEHDR{};
        headers[i].lpData = reinterpret_cast<LPSTR>(buffers[i].data());
        headers[i].dwBufferLength = 4 * BUFFER_FRAMES;
        waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
    }
    for (WAVEHDR &header : headers)
        FillAndQueue(header);
    HANDLE feeder = CreateThread(nullptr, 0, FeedDevice, nullptr, 0, nullptr);
    if (feeder == nullptr) {
        waveOutReset(device);
        waveOutClose(device);
        device = nullptr;
        return 0;
    }
    CloseHandle(feeder);
    audioOpen = true;
    return 1;
}

signed char FSOUND_SetVolume(int channel, int volume) {
    if (!audioOpen)
        return 0;
    EnterCriticalSection(&mixerLock);
    const bool ok = MixerSetVolume(channel == FSOUND_ALL ? MIXER_ALL : channel, volume);
    LeaveCriticalSection(&mixerLock);
    return ok ? 1 : 0;
}

FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *fileName, unsigned int inputMode, int,
                                  int) {
    if (!audioOpen || fileName == nullptr)
        return nullptr;
    index = SoundSlotFor(index, [](int i) { return slots[i].loaded; });
    if (index < 0)
        return nullptr;
    MixerSound decoded;
    if (!DecodeSoundFile(fileName, &decoded))
        return nullptr; // a slot that held a sound keeps it
    FSOUND_SAMPLE &slot = slots[index];
    EnterCriticalSection(&mixerLock);
    MixerHaltSound(&slot.sound); // no channel keeps playing what is replaced
    slot.sound.samples.swap(decoded.samples);
    LeaveCriticalSection(&mixerLock);
    slot.loaded = true;
    slot.loop = SoundModeLoops(inputMode);
    return &slot;
}

signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned int mode) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (slot == nullptr || !slot->loaded)
        return 0;
    slot->loop = SoundModeLoops(mode);
    return 1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) {
    FSOUND_SAMPLE *slot = SlotOf(sample);
    if (!audioOpen || slot == nullptr || !slot->loaded)
        return -1;
    EnterCriticalSection(&mixerLock);
    if (channel == FSOUND_FREE) {
        channel = -1;
        for (int c = 0; c < MIXER_CHANNELS && channel < 0; ++c)
            if (!MixerChannelBusy(c))
                channel = c;
    }
    const bool ok = MixerPlay(channel, &slot->sound, slot->loop);
    LeaveCriticalSection(&mixerLock);
    return ok ? channel : -1;
}

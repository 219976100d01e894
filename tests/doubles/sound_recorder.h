// Recording stand-in for the sound layer: keeps every call in order.
#pragma once

#include <string>
#include <vector>

#include "sound/fsound.h"

struct SoundCall {
    std::string op;     // "GetVersion", "Init", "SetVolume", "Sample_Load", "Sample_SetMode",
                        // "PlaySound"
    int a = 0, b = 0;   // Init: rate, channels; SetVolume: channel, volume; Load: slot;
                        // PlaySound: channel
    unsigned flags = 0; // Init flags, Load input mode, SetMode mode
    std::string file;   // Sample_Load
    FSOUND_SAMPLE *sample = nullptr; // Sample_SetMode, PlaySound, and Sample_Load's result
};

extern std::vector<SoundCall> soundCalls;
extern float soundVersion; // what GetVersion reports

void SoundRecorderReset();
// The fake handle Sample_Load gives for a slot.
FSOUND_SAMPLE *FakeSample(int slot);

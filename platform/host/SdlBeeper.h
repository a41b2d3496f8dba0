// The system beep on the desktop: a short tone through the sound output. The output is
// opened at the first beep; with no sound device every beep is silent and nothing else
// changes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

class SdlBeeper {
public:
    SdlBeeper() = default;
    SdlBeeper(const SdlBeeper&) = delete;
    SdlBeeper& operator=(const SdlBeeper&) = delete;
    ~SdlBeeper();

    void Beep();
    // False once opening the sound output has failed.
    bool HasSound() const { return device_ != 0 || !tried_; }

    // The tone: a sine with short ramps at both ends so that it starts and stops
    // without a click.
    static std::vector<int16_t> MakeTone(int sampleRate, int frequency, int milliseconds);

private:
    bool Open();

    bool tried_ = false;
    bool audioStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    std::vector<int16_t> tone_;
};

#include "platform/host/SdlBeeper.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr int kSampleRate = 44100;
constexpr int kToneFrequency = 660;
constexpr int kToneMilliseconds = 150;
constexpr int kRampMilliseconds = 8;
constexpr double kToneAmplitude = 0.25 * 32767;
}  // namespace

SdlBeeper::~SdlBeeper() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::vector<int16_t> SdlBeeper::MakeTone(int sampleRate, int frequency, int milliseconds) {
    const int count = sampleRate * milliseconds / 1000;
    const int ramp = std::max(1, sampleRate * kRampMilliseconds / 1000);
    std::vector<int16_t> samples(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        // Linear fade in over the first ramp samples and out over the last ones.
        double envelope = std::min({1.0, double(i) / ramp, double(count - 1 - i) / ramp});
        double phase = 2.0 * std::numbers::pi * frequency * i / sampleRate;
        samples[i] = static_cast<int16_t>(std::lround(kToneAmplitude * envelope * std::sin(phase)));
    }
    return samples;
}

bool SdlBeeper::Open() {
    tried_ = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    // No changes allowed: SDL converts to whatever the device takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0) return false;
    tone_ = MakeTone(kSampleRate, kToneFrequency, kToneMilliseconds);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlBeeper::Beep() {
    if (device_ == 0 && (tried_ || !Open())) return;
    // A beep during a beep starts the tone again rather than queueing behind it.
    SDL_ClearQueuedAudio(device_);
    SDL_QueueAudio(device_, tone_.data(), static_cast<Uint32>(tone_.size() * sizeof(int16_t)));
}

// The system beep's tone, and the beep on a sound output that writes to a file or on
// none at all (no display needed).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/host/SdlBeeper.h"

namespace {

TEST(SdlBeeper, ToneIsShortAndStartsAndEndsWithoutAClick) {
    const int rate = 44100;
    std::vector<int16_t> tone = SdlBeeper::MakeTone(rate, 660, 150);
    ASSERT_EQ(tone.size(), size_t(rate * 150 / 1000));
    EXPECT_LE(std::abs(tone.front()), 1);
    EXPECT_LE(std::abs(tone.back()), 50);
    int peak = 0;
    for (int16_t s : tone) peak = std::max(peak, std::abs(int(s)));
    // Loud enough to hear, far from clipping.
    EXPECT_GT(peak, 6000);
    EXPECT_LT(peak, 12000);
    // 660 Hz: the sign changes about 2 x 660 times a second.
    int crossings = 0;
    for (size_t i = 1; i < tone.size(); ++i) crossings += (tone[i - 1] < 0) != (tone[i] < 0);
    EXPECT_NEAR(crossings, 2 * 660 * 150 / 1000, 4);
}

// Sets an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(SdlBeeper, BeepPlaysTheToneOnTheSoundOutput) {
    // SDL's "disk" output writes what it plays to a file, in real time.
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("scopecam-beep-" + std::to_string(getpid()) + ".raw");
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv out("SDL_DISKAUDIOFILE", file.string());
    {
        SdlBeeper beeper;
        beeper.Beep();
        ASSERT_TRUE(beeper.HasSound());
        // 0.3 s of 16-bit mono at 44100 Hz covers the whole tone.
        const auto wanted = std::uintmax_t(44100 * 2 * 3 / 10);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::error_code ec;
        while (std::filesystem::file_size(file, ec) < wanted && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<int16_t> played(44100);
    in.read(reinterpret_cast<char*>(played.data()), std::streamsize(played.size() * 2));
    played.resize(size_t(in.gcount() / 2));
    std::filesystem::remove(file);
    int peak = 0;
    for (int16_t s : played) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 6000) << played.size() << " samples played";
}

TEST(SdlBeeper, WithoutSoundBeepsAreSilentAndHarmless) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-output");
    SdlBeeper beeper;
    beeper.Beep();
    beeper.Beep();
    EXPECT_FALSE(beeper.HasSound());
}

}  // namespace

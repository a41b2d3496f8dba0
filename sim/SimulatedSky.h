// The simulated sky as a camera on the telescope sees it: a seeded star field without
// end (stars in square tiles, each tile made from the seed and its place), Gaussian
// star images whose width grows with the focus error, a dark sky over the sensor's
// bias level, read noise, and a few hot pixels that belong to the sensor.
//
// A frame is a pure function of the settings, the frame number (30 a second of the
// clock), the mount's pointing and what the frame gathered (a video frame, a dark
// frame during a long exposure, or the long exposure itself): the same seed and the
// same clock give the same frames.
//
// The mount's pointing is in image pixels, north and east positive. Pointing the
// telescope east moves the field to the left in the image and pointing it north moves
// it down, so with the image's north up and east right a guide pulse in the direction
// the autoguider chooses brings the star back toward its goal.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/capture/CaptureSource.h"
#include "sim/SimulatedMount.h"

struct SkySettings {
    uint32_t seed = 1;
    int width = 640;
    int height = 480;
    // Defocus blur in pixels, added in quadrature to the seeing.
    double focusError = 0.0;
    // When above 0, the focus error swings through best focus and back with this
    // period in seconds, between plus and minus focusError (kSweepAmplitude when
    // focusError is 0).
    double focusSweepSeconds = 0.0;
    SampleLayout samples = SampleLayout::kColour;
    // Where the sky's black sits in the bytes: the camera's black level (its
    // brightness control), the sensor's bias by default. Turned down below 0, the
    // noise of the sky is cut off and the sky is black, as observers set a webcam for
    // guiding.
    float blackLevel = 10.0f;
};

// What one frame gathered.
struct FrameExposure {
    static constexpr double kVideoFrameSeconds = 1.0 / 30.0;
    // Starlight and skylight in video frames' worth: 1 for a video frame, 0 for a
    // dark frame, the exposure time times 30 for a long exposure.
    double light = 1.0;
    // Time over which the sensor's dark current built up (hot pixels grow with it).
    double darkSeconds = kVideoFrameSeconds;
    // Seconds the amplifier was on during a long exposure: its glow.
    double ampGlowSeconds = 0.0;
};

// A star of the field where it falls in the image: its centre in pixel coordinates
// (pixel x covers x - 0.5 to x + 0.5), its light in one video frame, and its colour as
// factors of the three channels (green 1).
struct SkyStar {
    double x = 0.0;
    double y = 0.0;
    double flux = 0.0;
    float tint[3] = {1.0f, 1.0f, 1.0f};
};

class SimulatedSky {
public:
    static constexpr int kFramesPerSecond = 30;
    static constexpr int kTileSize = 256;
    static constexpr int kStarsPerTile = 26;
    static constexpr double kBrightestFlux = 4000.0;  // light of the brightest star in a video frame
    static constexpr double kSeeingSigma = 1.3;       // star width in perfect focus, pixels
    static constexpr double kSweepAmplitude = 5.0;
    static constexpr float kBias = 10.0f;  // the black level of a camera left as it comes
    static constexpr float kReadNoise = 1.6f;
    static constexpr float kSkyLight[3] = {0.08f, 0.09f, 0.11f};  // per video frame
    static constexpr float kGlowPerSecond = 150.0f;  // at the glowing corner
    static constexpr float kGlowLength = 80.0f;      // falls to 1/e over this many pixels
    static constexpr int kLargestWidth = 4096;

    // The frame size is kept within 2 .. kLargestWidth by 2 .. kLargestWidth.
    explicit SimulatedSky(const SkySettings& settings);

    const SkySettings& Settings() const { return settings_; }
    void SetFocusError(double pixels) { settings_.focusError = pixels; }
    void SetFocusSweepSeconds(double seconds) { settings_.focusSweepSeconds = seconds; }
    void SetSamples(SampleLayout samples) { settings_.samples = samples; }
    void SetBlackLevel(float level) { settings_.blackLevel = level; }

    double FocusErrorAt(uint64_t frameNumber) const;
    // The Gaussian width (sigma, pixels) of every star in that frame.
    double StarSigmaAt(uint64_t frameNumber) const;

    // The stars whose centres fall in the frame at that pointing.
    std::vector<SkyStar> StarsInView(MountPosition pointing) const;

    // Draws frame frameNumber into target (clipped to the sky's size): full colour, or
    // raw samples in all three bytes for the mono and Bayer layouts.
    void Render(const FrameTarget& target, uint64_t frameNumber, MountPosition pointing,
                const FrameExposure& exposure);

private:
    // A star's image in the frame being made: its pixel box (x0..x1-1, y0..y1-1), its
    // light per channel, and its separable profile (weights in weights_).
    struct StarImage {
        int x0, x1, y0, y1;
        float amplitude[3];
        size_t columnWeights;
        size_t rowWeights;
    };
    struct HotPixel {
        int x, y;
        float level;  // added in one video frame's dark time
    };

    void StarsOfTile(int tileX, int tileY, std::vector<SkyStar>& out) const;
    void StarsNear(MountPosition pointing, double margin, std::vector<SkyStar>& out) const;
    void PrepareStarImages(uint64_t frameNumber, MountPosition pointing, double light, int width, int height);
    size_t AddProfile(int first, int count, double centre, double sigma);
    void MakeHotPixels();
    void MakeNoiseTable();
    void MakeGlowProfiles();
    void AddStarsToRow(int y);

    SkySettings settings_;
    std::vector<float> noise_;
    std::vector<HotPixel> hotPixels_;  // by row
    std::vector<float> glowX_;
    std::vector<float> glowY_;

    // Scratch of the frame being made.
    std::vector<SkyStar> stars_;
    std::vector<StarImage> images_;  // by first row
    std::vector<int> activeImages_;
    std::vector<float> weights_;
    std::vector<float> rows_[3];
};

static_assert(SkySettings{}.blackLevel == SimulatedSky::kBias, "the black level starts at the sensor's bias");

#include "sim/SimulatedSky.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "sim/SkyRandom.h"

namespace {

// Streams of the seed's random numbers, one per use.
enum : uint64_t { kTileStream = 1, kNoiseTableStream, kHotPixelStream, kFrameNoiseStream };

constexpr uint32_t kNoiseTableSize = 1u << 16;
// Weights below this (in counts) are left out of a star's image.
constexpr double kFaintestCount = 0.2;
// A star image never reaches further than this many sigmas.
constexpr double kWidestReach = 8.0;
constexpr float kGlowTint[3] = {1.0f, 0.75f, 0.9f};

int FloorDiv(double value, int divisor) { return static_cast<int>(std::floor(value / divisor)); }

// The fraction of a unit star's light that falls in its brightest pixel.
double PeakFraction(double sigma) {
    double half = std::erf(0.5 / (sigma * std::numbers::sqrt2));
    return half * half;
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::min(std::max(v, 0.0f), 255.0f) + 0.5f); }

// One row of sky: the base level plus a stretch of the noise table.
void FillSkyRow(float* __restrict row, int width, float base, const float* __restrict noise) {
    for (int x = 0; x < width; ++x) row[x] = base + noise[x];
}

// The amplifier's glow: a corner-weighted profile, separable in x and y.
void AddGlowRow(float* __restrict row, int width, float amount, const float* __restrict glowX) {
    for (int x = 0; x < width; ++x) row[x] += amount * glowX[x];
}

void AddStarRow(float* __restrict row, int count, float amount, const float* __restrict weights) {
    for (int i = 0; i < count; ++i) row[i] += amount * weights[i];
}

// Pixels as memory bytes unused, red, green, blue: one little-endian 32-bit word.
void PackColourRow(const float* r, const float* g, const float* b, uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        uint32_t word = uint32_t(ToByte(r[x])) << 8 | uint32_t(ToByte(g[x])) << 16 | uint32_t(ToByte(b[x])) << 24;
        std::memcpy(out + 4 * x, &word, 4);
    }
}

void PackSampleRow(const float* even, const float* odd, uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        uint32_t s = ToByte((x & 1) ? odd[x] : even[x]);
        uint32_t word = s << 8 | s << 16 | s << 24;
        std::memcpy(out + 4 * x, &word, 4);
    }
}

void PackMonoRow(const float* r, const float* g, const float* b, uint8_t* out, int width) {
    constexpr float kThird = 1.0f / 3.0f;
    for (int x = 0; x < width; ++x) {
        uint32_t s = ToByte((r[x] + g[x] + b[x]) * kThird);
        uint32_t word = s << 8 | s << 16 | s << 24;
        std::memcpy(out + 4 * x, &word, 4);
    }
}

// The channel (0 red, 1 green, 2 blue) of each site of a Bayer layout's 2 x 2 cell,
// [row parity][column parity].
constexpr int kBayerCells[4][2][2] = {
    {{1, 0}, {2, 1}},  // GRBG
    {{0, 1}, {1, 2}},  // RGGB
    {{2, 1}, {1, 0}},  // BGGR
    {{1, 2}, {0, 1}},  // GBRG
};

int BayerIndex(SampleLayout s) { return static_cast<int>(s) - static_cast<int>(SampleLayout::kBayerGRBG); }

}  // namespace

SimulatedSky::SimulatedSky(const SkySettings& settings) : settings_(settings) {
    settings_.width = std::clamp(settings_.width, 2, kLargestWidth);
    settings_.height = std::clamp(settings_.height, 2, kLargestWidth);
    for (auto& row : rows_) row.resize(settings_.width);
    MakeNoiseTable();
    MakeHotPixels();
    MakeGlowProfiles();
}

void SimulatedSky::MakeNoiseTable() {
    SkyRandom random(settings_.seed, kNoiseTableStream);
    noise_.resize(kNoiseTableSize + settings_.width);
    for (float& n : noise_) n = static_cast<float>(kReadNoise * random.Gaussian());
}

// About one hot pixel per 40000, at least two; fixed to the sensor, not the sky.
void SimulatedSky::MakeHotPixels() {
    SkyRandom random(settings_.seed, kHotPixelStream);
    int count = std::max(2, settings_.width * settings_.height / 40000);
    hotPixels_.clear();
    for (int i = 0; i < count; ++i) {
        HotPixel p;
        p.x = static_cast<int>(random.Below(settings_.width));
        p.y = static_cast<int>(random.Below(settings_.height));
        p.level = static_cast<float>(40.0 + 160.0 * random.Uniform());
        hotPixels_.push_back(p);
    }
    std::sort(hotPixels_.begin(), hotPixels_.end(), [](const HotPixel& a, const HotPixel& b) { return a.y < b.y; });
}

// The glow comes from the lower right corner, where the amplifier sits.
void SimulatedSky::MakeGlowProfiles() {
    glowX_.resize(settings_.width);
    glowY_.resize(settings_.height);
    for (int x = 0; x < settings_.width; ++x) glowX_[x] = std::exp(-(settings_.width - 1 - x) / kGlowLength);
    for (int y = 0; y < settings_.height; ++y) glowY_[y] = std::exp(-(settings_.height - 1 - y) / kGlowLength);
}

double SimulatedSky::FocusErrorAt(uint64_t frameNumber) const {
    if (settings_.focusSweepSeconds <= 0.0) return settings_.focusError;
    double amplitude = settings_.focusError > 0.0 ? settings_.focusError : kSweepAmplitude;
    double seconds = double(frameNumber) / kFramesPerSecond;
    return amplitude * std::sin(2.0 * std::numbers::pi * seconds / settings_.focusSweepSeconds);
}

double SimulatedSky::StarSigmaAt(uint64_t frameNumber) const {
    double error = FocusErrorAt(frameNumber);
    return std::sqrt(kSeeingSigma * kSeeingSigma + error * error);
}

// A tile's stars in sky coordinates. Brightness follows a power law, so faint stars
// are many and bright ones few: a video frame shows a few dozen, a long exposure all.
void SimulatedSky::StarsOfTile(int tileX, int tileY, std::vector<SkyStar>& out) const {
    SkyRandom random(settings_.seed, kTileStream, static_cast<uint32_t>(tileX), static_cast<uint32_t>(tileY));
    for (int i = 0; i < kStarsPerTile; ++i) {
        SkyStar s;
        s.x = (tileX + random.Uniform()) * kTileSize;
        s.y = (tileY + random.Uniform()) * kTileSize;
        s.flux = std::max(1.0, kBrightestFlux * std::pow(random.Uniform(), 2.5));
        // From cool red stars to hot blue ones.
        double warmth = random.Uniform();
        s.tint[0] = static_cast<float>(0.7 + 0.6 * warmth);
        s.tint[2] = static_cast<float>(1.3 - 0.6 * warmth);
        out.push_back(s);
    }
}

// The stars within margin pixels of the frame, at their image positions.
void SimulatedSky::StarsNear(MountPosition pointing, double margin, std::vector<SkyStar>& out) const {
    out.clear();
    double left = pointing.east - margin, right = pointing.east + settings_.width + margin;
    double top = -pointing.north - margin, bottom = -pointing.north + settings_.height + margin;
    for (int ty = FloorDiv(top, kTileSize); ty <= FloorDiv(bottom, kTileSize); ++ty)
        for (int tx = FloorDiv(left, kTileSize); tx <= FloorDiv(right, kTileSize); ++tx) StarsOfTile(tx, ty, out);
    std::erase_if(out, [&](SkyStar& s) {
        s.x -= pointing.east;
        s.y += pointing.north;
        return s.x < -margin || s.x >= settings_.width + margin || s.y < -margin || s.y >= settings_.height + margin;
    });
}

std::vector<SkyStar> SimulatedSky::StarsInView(MountPosition pointing) const {
    std::vector<SkyStar> stars;
    StarsNear(pointing, 0.0, stars);
    std::erase_if(stars, [&](const SkyStar& s) {
        return s.x < -0.5 || s.x >= settings_.width - 0.5 || s.y < -0.5 || s.y >= settings_.height - 0.5;
    });
    return stars;
}

// The light of a unit star in pixels first .. first + count - 1 along one axis: the
// Gaussian integrated over each pixel (the difference of the error function at its
// edges), so that the light is conserved however narrow the star.
size_t SimulatedSky::AddProfile(int first, int count, double centre, double sigma) {
    size_t at = weights_.size();
    double scale = 1.0 / (sigma * std::numbers::sqrt2);
    double lower = std::erf((first - 0.5 - centre) * scale);
    for (int i = 0; i < count; ++i) {
        double upper = std::erf((first + i + 0.5 - centre) * scale);
        weights_.push_back(static_cast<float>(0.5 * (upper - lower)));
        lower = upper;
    }
    return at;
}

void SimulatedSky::PrepareStarImages(uint64_t frameNumber, MountPosition pointing, double light, int width,
                                     int height) {
    images_.clear();
    weights_.clear();
    if (light <= 0.0) return;
    double sigma = StarSigmaAt(frameNumber);
    double peakFraction = PeakFraction(sigma);
    StarsNear(pointing, kWidestReach * sigma + 1.0, stars_);
    for (const SkyStar& s : stars_) {
        float brightestTint = std::max({s.tint[0], s.tint[1], s.tint[2]});
        double peak = s.flux * light * brightestTint * peakFraction;
        if (peak < 2.0 * kFaintestCount) continue;
        // Out to where the profile falls below the faintest count worth drawing.
        double reach = std::min(sigma * std::sqrt(2.0 * std::log(peak / kFaintestCount)), kWidestReach * sigma) + 0.5;
        StarImage image;
        image.x0 = std::max(0, static_cast<int>(std::floor(s.x - reach)));
        image.x1 = std::min(width, static_cast<int>(std::floor(s.x + reach)) + 1);
        image.y0 = std::max(0, static_cast<int>(std::floor(s.y - reach)));
        image.y1 = std::min(height, static_cast<int>(std::floor(s.y + reach)) + 1);
        if (image.x0 >= image.x1 || image.y0 >= image.y1) continue;
        for (int c = 0; c < 3; ++c) image.amplitude[c] = static_cast<float>(s.flux * light * s.tint[c]);
        image.columnWeights = AddProfile(image.x0, image.x1 - image.x0, s.x, sigma);
        image.rowWeights = AddProfile(image.y0, image.y1 - image.y0, s.y, sigma);
        images_.push_back(image);
    }
    std::sort(images_.begin(), images_.end(), [](const StarImage& a, const StarImage& b) { return a.y0 < b.y0; });
}

// Adds every star image that covers row y. activeImages_ holds the images begun at or
// before y; those that ended above it leave here.
void SimulatedSky::AddStarsToRow(int y) {
    std::erase_if(activeImages_, [&](int i) { return images_[i].y1 <= y; });
    const float* weights = weights_.data();
    for (int i : activeImages_) {
        const StarImage& image = images_[i];
        float rowWeight = weights[image.rowWeights + (y - image.y0)];
        for (int c = 0; c < 3; ++c)
            AddStarRow(rows_[c].data() + image.x0, image.x1 - image.x0, image.amplitude[c] * rowWeight,
                       weights + image.columnWeights);
    }
}

void SimulatedSky::Render(const FrameTarget& target, uint64_t frameNumber, MountPosition pointing,
                          const FrameExposure& exposure) {
    const int width = std::min(target.width, settings_.width);
    const int height = std::min(target.height, settings_.height);
    if (width <= 0 || height <= 0 || target.base == nullptr) return;
    const float light = static_cast<float>(std::max(exposure.light, 0.0));
    PrepareStarImages(frameNumber, pointing, light, width, height);
    activeImages_.clear();
    size_t nextImage = 0;
    auto hot = hotPixels_.begin();

    float base[3];
    float glow[3];
    for (int c = 0; c < 3; ++c) {
        base[c] = settings_.blackLevel + light * kSkyLight[c];
        glow[c] = kGlowPerSecond * static_cast<float>(exposure.ampGlowSeconds) * kGlowTint[c];
    }
    const float hotScale = static_cast<float>(exposure.darkSeconds * kFramesPerSecond);
    SkyRandom noiseOffsets(settings_.seed, kFrameNoiseStream, frameNumber);

    for (int y = 0; y < height; ++y) {
        for (int c = 0; c < 3; ++c) {
            FillSkyRow(rows_[c].data(), width, base[c], noise_.data() + noiseOffsets.Below(kNoiseTableSize));
            if (glow[c] > 0.0f) AddGlowRow(rows_[c].data(), width, glow[c] * glowY_[y], glowX_.data());
        }
        while (nextImage < images_.size() && images_[nextImage].y0 <= y)
            activeImages_.push_back(static_cast<int>(nextImage++));
        AddStarsToRow(y);
        for (; hot != hotPixels_.end() && hot->y <= y; ++hot) {
            if (hot->y < y || hot->x >= width) continue;
            for (auto& row : rows_) row[hot->x] += hot->level * hotScale;
        }

        uint8_t* out = target.base + static_cast<size_t>(y) * target.rowBytes;
        const float* r = rows_[0].data();
        const float* g = rows_[1].data();
        const float* b = rows_[2].data();
        if (settings_.samples == SampleLayout::kColour) {
            PackColourRow(r, g, b, out, width);
        } else if (settings_.samples == SampleLayout::kMono) {
            PackMonoRow(r, g, b, out, width);
        } else {
            const int* cell = kBayerCells[BayerIndex(settings_.samples)][y & 1];
            PackSampleRow(rows_[cell[0]].data(), rows_[cell[1]].data(), out, width);
        }
    }
}

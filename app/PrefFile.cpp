#include "app/PrefFile.h"

#include <cstdint>

#include "platform/services/PreferencesStore.h"

namespace {

// What a read gives for a key with no usable value.
constexpr int32_t kNotFound = -2;

constexpr const char* kDebayerizeKey = "debayerize";
constexpr const char* kBayerColorKey = "bayerColor";
constexpr const char* kDebayerAlgKey = "debayerAlg";
constexpr const char* kLongExposureRectHKey = "longExposureRectH";
constexpr const char* kLongExposureRectVKey = "longExposureRectV";
constexpr const char* kFlipNSKey = "flipNS";
constexpr const char* kFlipEWKey = "flipEW";
constexpr const char* kDisableDecKey = "disableDec";

int32_t ReadValue(const char* key) { return ApplicationPreferences().GetInteger(key).value_or(kNotFound); }

// Any value other than 0 is on.
bool ReadFlag(const char* key, bool& flag) {
    int32_t value = ReadValue(key);
    if (value == kNotFound) return false;
    flag = value != 0;
    return true;
}

// A stored number within first..last; anything else counts as not found, so that a
// damaged file cannot select a pattern or algorithm that does not exist.
bool ReadChoice(const char* key, int32_t first, int32_t last, int32_t& choice) {
    int32_t value = ReadValue(key);
    if (value == kNotFound || value < first || value > last) return false;
    choice = value;
    return true;
}

void WriteValue(const char* key, int32_t value) {
    ApplicationPreferences().SetInteger(key, value);
    ApplicationPreferences().Synchronize();
}

}  // namespace

PrefFile::PrefFile() {}

PrefFile::~PrefFile() {}

bool PrefFile::ReadDeBayerize(bool& debayerize) { return ReadFlag(kDebayerizeKey, debayerize); }

bool PrefFile::ReadBayerPattern(BayerColor& pattern) {
    int32_t value = 0;
    if (!ReadChoice(kBayerColorKey, kGRBG, kGBRG, value)) return false;
    pattern = static_cast<BayerColor>(value);
    return true;
}

bool PrefFile::ReadDebayerAlg(DebayerAlg& algorithm) {
    int32_t value = 0;
    if (!ReadChoice(kDebayerAlgKey, kNearestNeighbor, kLaplacianSecondOrder, value)) return false;
    algorithm = static_cast<DebayerAlg>(value);
    return true;
}

bool PrefFile::ReadAutoDetectLongExposureRect(int& h, int& v) {
    h = ReadValue(kLongExposureRectHKey);
    v = ReadValue(kLongExposureRectVKey);
    return h != kNotFound;
}

bool PrefFile::ReadFlipNS(bool& flip) { return ReadFlag(kFlipNSKey, flip); }

bool PrefFile::ReadFlipEW(bool& flip) { return ReadFlag(kFlipEWKey, flip); }

bool PrefFile::ReadDisableDecGuiding(bool& disable) { return ReadFlag(kDisableDecKey, disable); }

void PrefFile::WriteDeBayerize(bool debayerize) { WriteValue(kDebayerizeKey, debayerize ? 1 : 0); }

void PrefFile::WriteBayerPattern(BayerColor pattern) { WriteValue(kBayerColorKey, pattern); }

void PrefFile::WriteDebayerAlg(DebayerAlg algorithm) { WriteValue(kDebayerAlgKey, algorithm); }

// Both halves of the centre, saved together.
void PrefFile::WriteAutoDetectLongExposureRect(int h, int v) {
    PreferencesStore& store = ApplicationPreferences();
    store.SetInteger(kLongExposureRectHKey, h);
    store.SetInteger(kLongExposureRectVKey, v);
    store.Synchronize();
}

void PrefFile::WriteFlipNS(bool flip) { WriteValue(kFlipNSKey, flip ? 1 : 0); }

void PrefFile::WriteFlipEW(bool flip) { WriteValue(kFlipEWKey, flip ? 1 : 0); }

void PrefFile::WriteDisableDecGuiding(bool disable) { WriteValue(kDisableDecKey, disable ? 1 : 0); }

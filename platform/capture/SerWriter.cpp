#include "platform/capture/SerWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace {

// Header field offsets.
constexpr int kColourIdAt = 18;
constexpr int kWidthAt = 26;
constexpr int kHeightAt = 30;
constexpr int kBitsAt = 34;
constexpr int kFrameCountAt = 38;
constexpr int kObserverAt = 42;
constexpr int kInstrumentAt = 82;
constexpr int kTelescopeAt = 122;
constexpr int kTextBytes = 40;
constexpr int kLocalTimeAt = 162;
constexpr int kUtcTimeAt = 170;

void PutLittle32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLittle64(uint8_t* at, uint64_t v) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutText(uint8_t* at, const std::string& text) {
    std::memcpy(at, text.data(), std::min<size_t>(text.size(), kTextBytes));
}

// The local time that goes with a UTC time, by the system's time zone.
uint64_t LocalFromUtc(uint64_t utc) {
    time_t seconds = static_cast<time_t>((utc - kSerUnixEpoch) / 10000000);
    struct tm local {};
    if (localtime_r(&seconds, &local) == nullptr) return utc;
    return utc + static_cast<int64_t>(local.tm_gmtoff) * 10000000;
}

// One row of x,r,g,b pixels as R, G, B.
void PackColourRow(const uint8_t* src, uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[1];
        dst[1] = src[2];
        dst[2] = src[3];
    }
}

// One row of raw samples: the green byte of each pixel.
void PackSampleRow(const uint8_t* src, uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x) dst[x] = src[4 * x + 2];
}

}  // namespace

SerColourId SerColourFor(SampleLayout samples) {
    switch (samples) {
        case SampleLayout::kMono:
            return SerColourId::kMono;
        case SampleLayout::kBayerGRBG:
            return SerColourId::kBayerGRBG;
        case SampleLayout::kBayerRGGB:
            return SerColourId::kBayerRGGB;
        case SampleLayout::kBayerBGGR:
            return SerColourId::kBayerBGGR;
        case SampleLayout::kBayerGBRG:
            return SerColourId::kBayerGBRG;
        case SampleLayout::kColour:
            break;
    }
    return SerColourId::kRGB;
}

uint64_t SerTimeFromUnixMicros(int64_t micros) { return kSerUnixEpoch + static_cast<uint64_t>(micros) * 10; }

uint64_t SerTimeNow() {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return SerTimeFromUnixMicros(std::chrono::duration_cast<std::chrono::microseconds>(since).count());
}

std::string SerResult::Describe() const {
    std::string what;
    switch (error) {
        case SerError::kNone:
            return "no error";
        case SerError::kExists:
            what = "a file of that name exists";
            break;
        case SerError::kCannotCreate:
            what = "the file could not be created";
            break;
        case SerError::kWriteFailed:
            what = "the movie could not be written";
            break;
        case SerError::kNotOpen:
            what = "no movie is being recorded";
            break;
        case SerError::kWrongSize:
            what = "the frame is not the movie's size";
            break;
    }
    if (systemError != 0) what += std::string(": ") + std::strerror(systemError);
    return what;
}

SerWriter::~SerWriter() {
    if (IsOpen()) Finish();
}

SerResult SerWriter::Fail(SerError error, int systemError) {
    SerResult result{error, systemError};
    if (firstError_.Ok()) firstError_ = result;
    return result;
}

SerResult SerWriter::Create(const std::string& path, int width, int height, SampleLayout samples,
                            const SerDescription& description, uint64_t startTime) {
    if (IsOpen()) return {SerError::kCannotCreate, EBUSY};
    if (width <= 0 || height <= 0) return {SerError::kWrongSize, 0};
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return {errno == EEXIST ? SerError::kExists : SerError::kCannotCreate, errno};
    fd_ = fd;
    path_ = path;
    width_ = width;
    height_ = height;
    planes_ = samples == SampleLayout::kColour ? 3 : 1;
    frameCount_ = 0;
    firstError_ = {};
    refusing_ = false;
    times_.clear();
    frameBytes_.assign(static_cast<size_t>(width) * height * planes_, 0);

    uint8_t header[kSerHeaderBytes] = {};
    std::memcpy(header, "LUCAM-RECORDER", 14);
    PutLittle32(header + kColourIdAt, static_cast<uint32_t>(SerColourFor(samples)));
    PutLittle32(header + kWidthAt, static_cast<uint32_t>(width));
    PutLittle32(header + kHeightAt, static_cast<uint32_t>(height));
    PutLittle32(header + kBitsAt, 8);
    PutText(header + kObserverAt, description.observer);
    PutText(header + kInstrumentAt, description.instrument);
    PutText(header + kTelescopeAt, description.telescope);
    PutLittle64(header + kLocalTimeAt, LocalFromUtc(startTime));
    PutLittle64(header + kUtcTimeAt, startTime);
    int systemError = 0;
    if (!WriteAt(header, sizeof header, 0, systemError)) {
        // The file is ours and holds nothing of use.
        CloseFile();
        unlink(path.c_str());
        return {SerError::kWriteFailed, systemError};
    }
    return {};
}

void SerWriter::PackFrame(const FrameTarget& frame) {
    uint8_t* dst = frameBytes_.data();
    const size_t rowOut = static_cast<size_t>(width_) * planes_;
    for (int y = 0; y < height_; ++y, dst += rowOut) {
        const uint8_t* src = frame.base + static_cast<size_t>(y) * frame.rowBytes;
        if (planes_ == 3)
            PackColourRow(src, dst, width_);
        else
            PackSampleRow(src, dst, width_);
    }
}

SerResult SerWriter::WriteFrame(const FrameTarget& frame, uint64_t time) {
    if (!IsOpen() || refusing_) return {SerError::kNotOpen, 0};
    if (frame.width != width_ || frame.height != height_ || frame.base == nullptr) return {SerError::kWrongSize, 0};
    PackFrame(frame);
    const uint64_t at = kSerHeaderBytes + static_cast<uint64_t>(frameCount_) * frameBytes_.size();
    int systemError = 0;
    if (!WriteAt(frameBytes_.data(), frameBytes_.size(), at, systemError)) {
        // Keep the whole frames: a reader must never meet half a frame.
        refusing_ = true;
        if (ftruncate(fd_, static_cast<off_t>(at)) != 0) {
            // Nothing more to try; Finish cuts again.
        }
        return Fail(SerError::kWriteFailed, systemError);
    }
    times_.push_back(time);
    ++frameCount_;
    return {};
}

bool SerWriter::WriteAt(const void* bytes, size_t count, uint64_t offset, int& systemError) {
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        ssize_t n = pwrite(fd_, p, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            systemError = errno;
            return false;
        }
        if (n == 0) {
            systemError = EIO;
            return false;
        }
        p += n;
        offset += static_cast<uint64_t>(n);
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool SerWriter::WriteTrailer(int& systemError) {
    std::vector<uint8_t> trailer(times_.size() * 8);
    for (size_t i = 0; i < times_.size(); ++i) PutLittle64(trailer.data() + 8 * i, times_[i]);
    const uint64_t at = kSerHeaderBytes + static_cast<uint64_t>(frameCount_) * frameBytes_.size();
    if (WriteAt(trailer.data(), trailer.size(), at, systemError)) return true;
    // Without its trailer the file must say it has none: both start times 0.
    if (ftruncate(fd_, static_cast<off_t>(at)) != 0) {
        // The count written below still names only whole frames.
    }
    uint8_t zero[16] = {};
    int ignored = 0;
    WriteAt(zero, sizeof zero, kLocalTimeAt, ignored);
    return false;
}

SerResult SerWriter::Finish() {
    if (!IsOpen()) return {SerError::kNotOpen, 0};
    if (frameCount_ == 0) {
        CloseFile();
        unlink(path_.c_str());
        return firstError_;
    }
    int systemError = 0;
    if (!WriteTrailer(systemError)) Fail(SerError::kWriteFailed, systemError);
    uint8_t count[4];
    PutLittle32(count, static_cast<uint32_t>(frameCount_));
    if (!WriteAt(count, sizeof count, kFrameCountAt, systemError)) Fail(SerError::kWriteFailed, systemError);
    // A file system that writes late reports its errors at the close.
    if (!CloseFile(systemError)) Fail(SerError::kWriteFailed, systemError);
    return firstError_;
}

bool SerWriter::CloseFile(int& systemError) {
    if (fd_ < 0) return true;
    int result = close(fd_);
    fd_ = -1;
    if (result == 0) return true;
    systemError = errno;
    return false;
}

bool SerWriter::CloseFile() {
    int ignored = 0;
    return CloseFile(ignored);
}

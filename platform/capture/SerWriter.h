// Movie files in the SER format that planetary stackers read: a 178-byte header,
// the frames one after another (8 bits a sample, rows top to bottom), then a trailer
// with the UTC time of every frame. All numbers are little-endian.
//
// Header: "LUCAM-RECORDER" (14 bytes), camera series id, colour id, byte order of
// 16-bit samples, width, height, bits per sample, frame count (32-bit each), observer,
// instrument and telescope (40 characters each, zero-filled), start time in local
// time and in UTC (64-bit each). Times count 100-nanosecond steps from 1 January of
// the year 1.
//
// Files are created exclusively: an existing file is never overwritten, the caller
// picks the next name. Each frame is packed into one buffer and written with one
// call. The frame count and the trailer are written when the recording stops.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/capture/CaptureSource.h"

enum class SerColourId : int32_t {
    kMono = 0,
    kBayerRGGB = 8,
    kBayerGRBG = 9,
    kBayerGBRG = 10,
    kBayerBGGR = 11,
    kRGB = 100,
    kBGR = 101,
};

// The colour id of frames that carry their samples so: raw samples keep their layout.
SerColourId SerColourFor(SampleLayout samples);

constexpr int kSerHeaderBytes = 178;
// 1970-01-01 in 100-nanosecond steps from 0001-01-01.
constexpr uint64_t kSerUnixEpoch = 621355968000000000ULL;

uint64_t SerTimeFromUnixMicros(int64_t micros);
// The present UTC time of the system's calendar clock.
uint64_t SerTimeNow();

enum class SerError {
    kNone,
    kExists,        // a file of that name is there already; it was left alone
    kCannotCreate,  // the folder refused the file
    kWriteFailed,   // the disk refused data (full, too large, gone)
    kNotOpen,       // no recording is open, or an earlier error ended it
    kWrongSize,     // the frame is not the size the file was made for
};

struct SerResult {
    SerError error = SerError::kNone;
    int systemError = 0;  // errno of the failing call, when there was one
    bool Ok() const { return error == SerError::kNone; }
    std::string Describe() const;
};

// The header's text fields (at most 40 characters each are kept).
struct SerDescription {
    std::string observer;
    std::string instrument;
    std::string telescope;
};

class SerWriter {
public:
    SerWriter() = default;
    // Finishes an open recording.
    ~SerWriter();
    SerWriter(const SerWriter&) = delete;
    SerWriter& operator=(const SerWriter&) = delete;

    // Creates the file for frames of the given size; startTime is the recording's
    // start (UTC, SER time). The samples say how frames are packed: colour as R, G, B;
    // mono and Bayer as the one raw sample of each pixel (its green byte).
    SerResult Create(const std::string& path, int width, int height, SampleLayout samples,
                     const SerDescription& description, uint64_t startTime);
    // Appends one frame (32-bit pixels, unused, red, green, blue) taken at time (UTC,
    // SER time). After a failed write the file is cut back to its whole frames and
    // every later frame is refused.
    SerResult WriteFrame(const FrameTarget& frame, uint64_t time);
    // Writes the trailer and the frame count and closes the file. A file that got no
    // frame is removed. When the trailer cannot be written the file is cut back to
    // its frames and marked as having no trailer (start time 0), so it stays readable.
    // Returns the first error of the recording, if any.
    SerResult Finish();

    bool IsOpen() const { return fd_ >= 0; }
    int32_t FrameCount() const { return frameCount_; }
    const std::string& Path() const { return path_; }
    size_t FrameBytes() const { return frameBytes_.size(); }

private:
    SerResult Fail(SerError error, int systemError);
    void PackFrame(const FrameTarget& frame);
    bool WriteAt(const void* bytes, size_t count, uint64_t offset, int& systemError);
    bool WriteTrailer(int& systemError);
    bool CloseFile(int& systemError);
    bool CloseFile();

    int fd_ = -1;
    std::string path_;
    int width_ = 0;
    int height_ = 0;
    int planes_ = 0;
    int32_t frameCount_ = 0;
    SerResult firstError_;
    bool refusing_ = false;
    std::vector<uint8_t> frameBytes_;
    std::vector<uint64_t> times_;
};

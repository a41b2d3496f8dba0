// SER movies: checked byte for byte, and by independent readers (ffprobe counts the
// frames, ffmpeg gives back their pixels, siril loads the file and checks the order of
// its timestamps). Files are created exclusively; a full disk leaves a readable file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/capture/SerWriter.h"
#include "tests/support/ChildProcess.h"

namespace fs = std::filesystem;

namespace {

// A frame of 32-bit pixels with padded rows, filled from its number.
struct TestFrame {
    TestFrame(int w, int h, int number) : width(w), height(h), rowBytes(4 * w + 12) {
        pixels.assign(static_cast<size_t>(rowBytes) * h, 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = pixels.data() + y * rowBytes + 4 * x;
                p[0] = 0x55;
                p[1] = static_cast<uint8_t>(x * 3 + number * 17);
                p[2] = static_cast<uint8_t>(y * 5 + x + number);
                p[3] = static_cast<uint8_t>(x ^ y ^ (number * 31));
            }
    }
    FrameTarget Target() { return FrameTarget{pixels.data(), rowBytes, width, height}; }
    // The bytes the file should hold for this frame: R, G, B, or the green sample.
    std::vector<uint8_t> Expected(bool colour) const {
        std::vector<uint8_t> out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = pixels.data() + y * rowBytes + 4 * x;
                if (colour)
                    out.insert(out.end(), {p[1], p[2], p[3]});
                else
                    out.push_back(p[2]);
            }
        return out;
    }
    int width, height, rowBytes;
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Little32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

uint64_t Little64(const std::vector<uint8_t>& b, size_t at) {
    return uint64_t(Little32(b, at)) | uint64_t(Little32(b, at + 4)) << 32;
}

class SerWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "scopecam-ser-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Records the frames numbered 0 .. count-1 at times 1/30 s apart.
    fs::path Record(const std::string& name, int width, int height, SampleLayout samples, int count,
                    std::vector<TestFrame>* frames = nullptr) {
        fs::path path = dir_ / name;
        SerWriter writer;
        EXPECT_TRUE(writer.Create(path, width, height, samples, {"observer", "camera", "scope"}, kStart).Ok());
        for (int i = 0; i < count; ++i) {
            TestFrame frame(width, height, i);
            EXPECT_TRUE(writer.WriteFrame(frame.Target(), kStart + i * 333333ULL).Ok());
            if (frames) frames->push_back(std::move(frame));
        }
        SerResult done = writer.Finish();
        EXPECT_TRUE(done.Ok()) << done.Describe();
        return path;
    }

    static constexpr uint64_t kStart = 639000000000000000ULL;  // a night in 2025
    fs::path dir_;
};

TEST_F(SerWriterTest, HeaderFramesAndTrailerAreLaidOutByteForByte) {
    std::vector<TestFrame> frames;
    fs::path path = Record("a.ser", 7, 5, SampleLayout::kColour, 3, &frames);
    std::vector<uint8_t> b = ReadBytes(path);
    const size_t frameBytes = 7 * 5 * 3;
    ASSERT_EQ(b.size(), 178 + 3 * frameBytes + 3 * 8);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 14), "LUCAM-RECORDER");
    EXPECT_EQ(Little32(b, 18), 100u);  // RGB
    EXPECT_EQ(Little32(b, 26), 7u);
    EXPECT_EQ(Little32(b, 30), 5u);
    EXPECT_EQ(Little32(b, 34), 8u);
    EXPECT_EQ(Little32(b, 38), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[42])), "observer");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[82])), "camera");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[122])), "scope");
    EXPECT_EQ(Little64(b, 170), kStart);
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> stored(b.begin() + 178 + i * frameBytes, b.begin() + 178 + (i + 1) * frameBytes);
        EXPECT_EQ(stored, frames[i].Expected(true)) << "frame " << i;
        EXPECT_EQ(Little64(b, 178 + 3 * frameBytes + 8 * i), kStart + i * 333333ULL);
    }
}

TEST_F(SerWriterTest, TimesCountTenthsOfMicrosecondsFromTheYearOne) {
    EXPECT_EQ(SerTimeFromUnixMicros(0), 621355968000000000ULL);
    // 2000-01-01T00:00:00Z.
    EXPECT_EQ(SerTimeFromUnixMicros(946684800LL * 1000000), 630822816000000000ULL);
    EXPECT_EQ(SerTimeFromUnixMicros(1), 621355968000000010ULL);
    uint64_t now = SerTimeNow();
    EXPECT_GT(now, 638000000000000000ULL);  // after 2022
}

struct LayoutCase {
    SampleLayout samples;
    uint32_t colourId;
    const char* pixelFormat;  // as ffmpeg names it
};
const LayoutCase kLayouts[] = {
    {SampleLayout::kColour, 100, "rgb24"},       {SampleLayout::kMono, 0, "gray"},
    {SampleLayout::kBayerRGGB, 8, "bayer_rggb8"}, {SampleLayout::kBayerGRBG, 9, "bayer_grbg8"},
    {SampleLayout::kBayerGBRG, 10, "bayer_gbrg8"}, {SampleLayout::kBayerBGGR, 11, "bayer_bggr8"},
};

TEST_F(SerWriterTest, FfmpegCountsTheFramesAndGivesBackTheirPixels) {
    if (!ProgramOnPath("ffprobe") || !ProgramOnPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    for (const LayoutCase& c : kLayouts) {
        std::vector<TestFrame> frames;
        const std::string name = std::string("movie-") + c.pixelFormat;
        fs::path path = Record(name + ".ser", 61, 37, c.samples, 9, &frames);
        EXPECT_EQ(Little32(ReadBytes(path), 18), c.colourId);

        ChildResult probe = RunChild({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                      "stream=nb_read_frames,width,height,pix_fmt", "-of", "default=nw=1",
                                      path.string()});
        ASSERT_EQ(probe.status, 0) << probe.output;
        EXPECT_NE(probe.output.find("nb_read_frames=9\n"), std::string::npos) << probe.output;
        EXPECT_NE(probe.output.find("width=61\n"), std::string::npos) << probe.output;
        EXPECT_NE(probe.output.find("height=37\n"), std::string::npos) << probe.output;
        EXPECT_NE(probe.output.find(std::string("pix_fmt=") + c.pixelFormat), std::string::npos) << probe.output;

        // The samples as stored, unconverted.
        fs::path raw = dir_ / (name + ".raw");
        ChildResult decode = RunChild({"ffmpeg", "-v", "error", "-i", path.string(), "-f", "rawvideo", "-pix_fmt",
                                       c.pixelFormat, raw.string()});
        ASSERT_EQ(decode.status, 0) << decode.output;
        std::vector<uint8_t> expected;
        for (const TestFrame& f : frames) {
            auto bytes = f.Expected(c.samples == SampleLayout::kColour);
            expected.insert(expected.end(), bytes.begin(), bytes.end());
        }
        EXPECT_EQ(ReadBytes(raw), expected) << c.pixelFormat;
    }
}

// Siril reads the header and the timestamps and says whether they are in order.
ChildResult RunSiril(const fs::path& dir, const std::string& file) {
    std::ofstream(dir / "load.ssf") << "requires 1.0.0\nload " << file << "\n";
    fs::create_directories(dir / "home");
    return RunChild({"env", "HOME=" + (dir / "home").string(), "siril-cli", "-d", dir.string(), "-s",
                     (dir / "load.ssf").string()},
                    std::chrono::seconds(60));
}

TEST_F(SerWriterTest, SirilLoadsTheMovieAndFindsItsTimestampsInOrder) {
    if (!ProgramOnPath("siril-cli")) GTEST_SKIP() << "siril is not installed";
    Record("stars.ser", 64, 48, SampleLayout::kBayerRGGB, 6);
    ChildResult siril = RunSiril(dir_, "stars.ser");
    EXPECT_NE(siril.output.find("frame count: 6"), std::string::npos) << siril.output;
    EXPECT_NE(siril.output.find("Sequence loaded: stars (0->5)"), std::string::npos) << siril.output;
    EXPECT_NE(siril.output.find("Timestamps in the SER file are correctly ordered"), std::string::npos)
        << siril.output;

    // The same reader notices times out of order, so the check above means something.
    SerWriter writer;
    ASSERT_TRUE(writer.Create(dir_ / "shuffled.ser", 8, 8, SampleLayout::kMono, {}, kStart).Ok());
    TestFrame frame(8, 8, 0);
    for (uint64_t t : {3, 1, 2}) ASSERT_TRUE(writer.WriteFrame(frame.Target(), kStart + t * 1000).Ok());
    ASSERT_TRUE(writer.Finish().Ok());
    ChildResult shuffled = RunSiril(dir_, "shuffled.ser");
    EXPECT_NE(shuffled.output.find("timestamps in the SER file are not in the correct order"), std::string::npos)
        << shuffled.output;
}

TEST_F(SerWriterTest, AnExistingFileIsNeverOverwritten) {
    fs::path path = dir_ / "Untitled-000.ser";
    std::ofstream(path) << "precious";
    SerWriter writer;
    SerResult result = writer.Create(path, 8, 8, SampleLayout::kColour, {}, kStart);
    EXPECT_EQ(result.error, SerError::kExists);
    EXPECT_FALSE(writer.IsOpen());
    TestFrame frame(8, 8, 0);
    EXPECT_EQ(writer.WriteFrame(frame.Target(), kStart).error, SerError::kNotOpen);
    EXPECT_EQ(writer.Finish().error, SerError::kNotOpen);
    std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "precious");
}

TEST_F(SerWriterTest, AFolderThatCannotTakeTheFileIsReported) {
    SerWriter writer;
    SerResult result = writer.Create(dir_ / "no-such-folder" / "a.ser", 8, 8, SampleLayout::kColour, {}, kStart);
    EXPECT_EQ(result.error, SerError::kCannotCreate);
    EXPECT_EQ(result.systemError, ENOENT);
    EXPECT_NE(result.Describe().find("could not be created"), std::string::npos);
}

TEST_F(SerWriterTest, AFrameOfAnotherSizeIsRefusedAndTheRecordingGoesOn) {
    SerWriter writer;
    ASSERT_TRUE(writer.Create(dir_ / "a.ser", 8, 6, SampleLayout::kColour, {}, kStart).Ok());
    TestFrame wrong(8, 7, 0), right(8, 6, 1);
    EXPECT_EQ(writer.WriteFrame(wrong.Target(), kStart).error, SerError::kWrongSize);
    EXPECT_TRUE(writer.WriteFrame(right.Target(), kStart).Ok());
    EXPECT_TRUE(writer.Finish().Ok());
    EXPECT_EQ(Little32(ReadBytes(dir_ / "a.ser"), 38), 1u);
}

TEST_F(SerWriterTest, ARecordingWithoutFramesLeavesNoFile) {
    {
        SerWriter writer;
        ASSERT_TRUE(writer.Create(dir_ / "empty.ser", 8, 8, SampleLayout::kColour, {}, kStart).Ok());
        EXPECT_TRUE(writer.Finish().Ok());
    }
    EXPECT_FALSE(fs::exists(dir_ / "empty.ser"));
    // The destructor finishes a recording left open.
    {
        SerWriter writer;
        ASSERT_TRUE(writer.Create(dir_ / "open.ser", 8, 8, SampleLayout::kMono, {}, kStart).Ok());
        TestFrame frame(8, 8, 0);
        ASSERT_TRUE(writer.WriteFrame(frame.Target(), kStart).Ok());
    }
    std::vector<uint8_t> b = ReadBytes(dir_ / "open.ser");
    ASSERT_EQ(b.size(), 178u + 64 + 8);
    EXPECT_EQ(Little32(b, 38), 1u);
}

// A disk that fills up mid-recording (here a file-size limit, in a child process so
// that the limit stays there): the error is reported, later frames are refused, and
// the file keeps the whole frames that fitted, with their count and trailer.
TEST_F(SerWriterTest, AFullDiskLeavesAReadableFileOfTheFramesThatFitted) {
    const int width = 64, height = 32, frameBytes = width * height * 3;
    const fs::path path = dir_ / "full.ser";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        // Room for the header, four frames and 16 bytes: less than a frame or a trailer.
        rlimit limit{rlim_t(178 + 4 * frameBytes + 16), rlim_t(178 + 4 * frameBytes + 16)};
        setrlimit(RLIMIT_FSIZE, &limit);
        SerWriter writer;
        if (!writer.Create(path, width, height, SampleLayout::kColour, {}, kStart).Ok()) _exit(10);
        for (int i = 0; i < 4; ++i) {
            TestFrame frame(width, height, i);
            if (!writer.WriteFrame(frame.Target(), kStart + i).Ok()) _exit(11);
        }
        TestFrame frame(width, height, 4);
        SerResult full = writer.WriteFrame(frame.Target(), kStart + 4);
        if (full.error != SerError::kWriteFailed || full.systemError != EFBIG) _exit(12);
        if (writer.WriteFrame(frame.Target(), kStart + 5).error != SerError::kNotOpen) _exit(13);
        // The trailer does not fit either: the file is marked as having none.
        if (writer.Finish().error != SerError::kWriteFailed) _exit(14);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    std::vector<uint8_t> b = ReadBytes(path);
    ASSERT_EQ(b.size(), size_t(178 + 4 * frameBytes));
    EXPECT_EQ(Little32(b, 38), 4u);
    EXPECT_EQ(Little64(b, 162), 0u);  // no trailer
    EXPECT_EQ(Little64(b, 170), 0u);
    std::vector<uint8_t> last(b.begin() + 178 + 3 * frameBytes, b.end());
    EXPECT_EQ(last, TestFrame(width, height, 3).Expected(true));
    if (ProgramOnPath("ffprobe")) {
        ChildResult probe = RunChild({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                      "stream=nb_read_frames", "-of", "default=nw=1", path.string()});
        EXPECT_NE(probe.output.find("nb_read_frames=4"), std::string::npos) << probe.output;
    }
}

}  // namespace

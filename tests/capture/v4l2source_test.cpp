// The V4L2 webcam source on a scripted driver: which device and format it takes,
// streaming and the newest frame, failures at every step of the set-up, a camera
// unplugged while running, and the controls as the settings dialog sees them.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/capture/V4L2Source.h"
#include "tests/capture/FakeVideoDevice.h"

namespace {

constexpr uint8_t kPadding = 0xCC;

struct Target {
    Target(int w, int h) : width(w), height(h), rowBytes(4 * w + 8), pixels(static_cast<size_t>(rowBytes) * h, kPadding) {}
    FrameTarget Frame() { return FrameTarget{pixels.data(), rowBytes, width, height}; }
    const uint8_t* At(int x, int y) const { return pixels.data() + y * rowBytes + 4 * x; }
    int width, height, rowBytes;
    std::vector<uint8_t> pixels;
};

FakeNode Webcam(const std::string& path, std::vector<OfferedFormat> formats) {
    FakeNode n;
    n.path = path;
    n.formats = std::move(formats);
    return n;
}

// A grey frame of the node's present size and stride, every sample `level` plus x.
std::vector<uint8_t> GreyFrame(int w, int h, int bytesPerLine, int level) {
    std::vector<uint8_t> f(static_cast<size_t>(bytesPerLine) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f[y * bytesPerLine + x] = static_cast<uint8_t>(level + x);
    return f;
}

class V4L2SourceTest : public ::testing::Test {
protected:
    // A source over a fake device the test keeps a view of.
    std::unique_ptr<V4L2Source> MakeSource(std::string path = "", int width = 0, int height = 0) {
        auto device = std::make_unique<FakeVideoDevice>();
        device->nodes = nodes_;
        fake_ = device.get();
        return std::make_unique<V4L2Source>(std::move(path), std::move(device), width, height);
    }

    std::vector<FakeNode> nodes_;
    FakeVideoDevice* fake_ = nullptr;
};

TEST_F(V4L2SourceTest, TakesTheFirstNodeThatStreamsVideo) {
    FakeNode metadata = Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}});
    metadata.capabilities = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    FakeNode busy = Webcam("/dev/video1", {{V4L2_PIX_FMT_YUYV}});
    busy.openError = EBUSY;
    nodes_ = {metadata, busy, Webcam("/dev/video2", {{V4L2_PIX_FMT_YUYV}}), Webcam("/dev/video3", {})};
    nodes_[2].card = "Astro Cam";
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    EXPECT_EQ(source->DevicePath(), "/dev/video2");
    EXPECT_EQ(source->Name(), "Astro Cam (/dev/video2)");
    EXPECT_TRUE(source->Streaming());
    EXPECT_TRUE(fake_->streaming);
    EXPECT_EQ(fake_->openDescriptors, 1);  // the nodes it passed over are closed again
}

TEST_F(V4L2SourceTest, AsksForTheRawSamplesAndTakesTheSizeTheDriverGives) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}, {V4L2_PIX_FMT_SRGGB8}, {V4L2_PIX_FMT_RGB24, true}})};
    nodes_[0].width = 320;
    nodes_[0].height = 240;
    auto source = MakeSource("", 1601, 1201);  // the fake keeps sizes within 1280 x 960, even
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    EXPECT_EQ(fake_->lastSetFormat.fmt.pix.pixelformat, V4L2_PIX_FMT_SRGGB8);
    EXPECT_EQ(fake_->lastSetFormat.fmt.pix.width, 1601u);
    EXPECT_EQ(source->PixelFormat(), V4L2_PIX_FMT_SRGGB8);
    EXPECT_EQ(source->Samples(), SampleLayout::kBayerRGGB);
    EXPECT_EQ(source->FrameBounds(), MakeRect(0, 0, 1280, 960));

    // Without a size asked for, the camera's present size stays.
    nodes_[0].width = 320;
    auto plain = MakeSource("/dev/video0");
    ASSERT_TRUE(plain->Open(error)) << error;
    EXPECT_EQ(plain->FrameBounds(), MakeRect(0, 0, 320, 240));
}

TEST_F(V4L2SourceTest, DeliversTheNewestFrameConvertedAndGivesTheBuffersBack) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_GREY}})};
    nodes_[0].width = 16;
    nodes_[0].height = 6;
    nodes_[0].rowPadding = 4;
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    const size_t buffers = fake_->queuedBuffers();
    EXPECT_GE(buffers, 2u);
    Target t(16, 6);
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kNoFrame);
    EXPECT_EQ(t.At(0, 0)[1], kPadding);

    fake_->frames.push_back(GreyFrame(16, 6, 20, 10));
    fake_->frames.push_back(GreyFrame(16, 6, 20, 100));
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kFreshFrame);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(t.At(x, y)[2], 100 + x) << x << "," << y;
    EXPECT_EQ(fake_->queuedBuffers(), buffers);
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kNoFrame);

    // More frames than buffers waiting: still the newest the driver holds.
    for (int level : {1, 2, 3, 4, 5}) fake_->frames.push_back(GreyFrame(16, 6, 20, level));
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kFreshFrame);
    EXPECT_EQ(fake_->queuedBuffers(), buffers);
    EXPECT_GT(t.At(0, 0)[2], 1);
}

TEST_F(V4L2SourceTest, AFrameTheDriverMarksDamagedIsPassedOver) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_GREY}})};
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    Target t(64, 48);
    fake_->frames.push_back(GreyFrame(64, 48, 64, 77));
    fake_->nextFrameFlags = V4L2_BUF_FLAG_ERROR;
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kNoFrame);
    EXPECT_EQ(t.At(0, 0)[2], kPadding);
    fake_->frames.push_back(GreyFrame(64, 48, 64, 77));
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kFreshFrame);
    EXPECT_EQ(t.At(0, 0)[2], 77);
}

struct SetUpFailure {
    const char* step;
    unsigned long request;
    int error;
    const char* said;
};

// A failure at any step of the set-up ends it with a reason, leaving nothing open or
// mapped.
TEST_F(V4L2SourceTest, EachFailingSetUpStepIsReportedAndUndone) {
    const SetUpFailure failures[] = {
        {"capabilities", VIDIOC_QUERYCAP, EIO, "not a video device"},
        {"format read", VIDIOC_G_FMT, EIO, "reading the format"},
        {"format set", VIDIOC_S_FMT, EBUSY, "setting the format"},
        {"buffers", VIDIOC_REQBUFS, ENOMEM, "frame buffers"},
        {"buffer query", VIDIOC_QUERYBUF, EINVAL, "reading a frame buffer"},
        {"queue", VIDIOC_QBUF, EINVAL, "queueing"},
        {"stream", VIDIOC_STREAMON, ENOSPC, "starting the stream"},
    };
    for (const SetUpFailure& f : failures) {
        nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}})};
        auto source = MakeSource("/dev/video0");
        fake_->failOnce[f.request] = f.error;
        std::string error;
        EXPECT_FALSE(source->Open(error)) << f.step;
        EXPECT_NE(error.find(f.said), std::string::npos) << f.step << ": " << error;
        EXPECT_EQ(fake_->openDescriptors, 0) << f.step;
        EXPECT_EQ(fake_->mappedBuffers, 0) << f.step;
        Target t(64, 48);
        EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kError) << f.step;
    }
}

TEST_F(V4L2SourceTest, NoCameraOrNoReadableFormatIsSaid) {
    std::string error;
    EXPECT_FALSE(MakeSource()->Open(error));
    EXPECT_EQ(error, "no video device on this machine");

    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_H264}})};
    auto unreadable = MakeSource();
    EXPECT_FALSE(unreadable->Open(error));
    EXPECT_NE(error.find("no pixel format"), std::string::npos) << error;
    EXPECT_EQ(fake_->openDescriptors, 0);

    FakeNode denied = Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}});
    denied.openError = EACCES;
    nodes_ = {denied};
    EXPECT_FALSE(MakeSource("/dev/video0")->Open(error));
    EXPECT_NE(error.find("/dev/video0"), std::string::npos) << error;
    EXPECT_NE(error.find("ermission"), std::string::npos) << error;
    EXPECT_FALSE(MakeSource("/dev/video7")->Open(error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST_F(V4L2SourceTest, ACameraUnpluggedWhileRunningIsAnErrorFromThenOn) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}})};
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    Target t(64, 48);
    fake_->frames.push_back(std::vector<uint8_t>(64 * 48 * 2, 128));
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kFreshFrame);

    fake_->unplugged = true;
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kError);
    EXPECT_TRUE(source->Gone());
    EXPECT_EQ(source->LastError(), ENODEV);
    EXPECT_EQ(fake_->openDescriptors, 0);
    EXPECT_EQ(fake_->mappedBuffers, 0);
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kError);
    EXPECT_TRUE(source->Controls().empty());
    EXPECT_FALSE(source->SetControl(1, 1));
}

TEST_F(V4L2SourceTest, ATransientDriverErrorIsReportedButTheCameraStays) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_GREY}})};
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    Target t(64, 48);
    fake_->failOnce[VIDIOC_DQBUF] = EIO;
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kError);
    EXPECT_FALSE(source->Gone());
    fake_->frames.push_back(GreyFrame(64, 48, 64, 5));
    EXPECT_EQ(source->Deliver(t.Frame()), CaptureResult::kFreshFrame);
}

std::vector<FakeControl> SomeControls() {
    FakeControl brightness = MakeControl(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", -64, 64, 1, 0);
    brightness.value = 12;
    FakeControl autoWhite =
        MakeControl(V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CTRL_TYPE_BOOLEAN, "White Balance, Automatic", 0, 1, 1, 1);
    FakeControl power =
        MakeControl(V4L2_CID_POWER_LINE_FREQUENCY, V4L2_CTRL_TYPE_MENU, "Power Line Frequency", 0, 3, 1, 1);
    power.menu = {{0, "Disabled"}, {1, "50 Hz"}, {3, "Auto"}};  // index 2 left out by the driver
    FakeControl gains = MakeControl(V4L2_CID_GAIN, V4L2_CTRL_TYPE_INTEGER_MENU, "Gain", 0, 1, 1, 0);
    gains.menu = {{0, "100"}, {1, "400"}};
    FakeControl temperature = MakeControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CTRL_TYPE_INTEGER,
                                          "White Balance Temperature", 2800, 6500, 10, 4600, V4L2_CTRL_FLAG_INACTIVE);
    FakeControl status = MakeControl(V4L2_CID_EXPOSURE, V4L2_CTRL_TYPE_INTEGER, "Exposure", 1, 5000, 1, 156,
                                     V4L2_CTRL_FLAG_READ_ONLY);
    return {
        MakeControl(V4L2_CID_USER_CLASS, V4L2_CTRL_TYPE_CTRL_CLASS, "User Controls", 0, 0, 0, 0),
        brightness,
        autoWhite,
        power,
        gains,
        temperature,
        status,
        MakeControl(V4L2_CID_DO_WHITE_BALANCE, V4L2_CTRL_TYPE_BUTTON, "Do White Balance", 0, 0, 0, 0),
        MakeControl(V4L2_CID_HUE, V4L2_CTRL_TYPE_INTEGER, "Hue", -40, 40, 1, 0, V4L2_CTRL_FLAG_DISABLED),
        MakeControl(V4L2_CID_CONTRAST, V4L2_CTRL_TYPE_INTEGER64, "Contrast", 0, 10, 1, 5),
    };
}

const CameraControl& Named(const std::vector<CameraControl>& controls, const std::string& name) {
    static const CameraControl none;
    auto c = std::find_if(controls.begin(), controls.end(), [&](const CameraControl& c) { return c.name == name; });
    return c == controls.end() ? none : *c;
}

// Headings, buttons, 64-bit and disabled controls have no dialog item.
void ExpectTheDialogItems(const std::vector<CameraControl>& controls) {
    std::vector<std::string> names;
    for (const CameraControl& c : controls) names.push_back(c.name);
    // In the driver's (id) order.
    EXPECT_EQ(names, (std::vector<std::string>{"Brightness", "White Balance, Automatic", "Exposure", "Gain",
                                               "Power Line Frequency", "White Balance Temperature"}));
    const CameraControl& brightness = Named(controls, "Brightness");
    EXPECT_EQ(brightness.kind, CameraControlKind::kSlider);
    EXPECT_EQ(brightness.id, V4L2_CID_BRIGHTNESS);
    EXPECT_EQ(brightness.minimum, -64);
    EXPECT_EQ(brightness.maximum, 64);
    EXPECT_EQ(brightness.defaultValue, 0);
    EXPECT_EQ(brightness.value, 12);
    EXPECT_EQ(Named(controls, "White Balance, Automatic").kind, CameraControlKind::kCheckBox);
    EXPECT_EQ(Named(controls, "White Balance, Automatic").value, 1);
    const CameraControl& power = Named(controls, "Power Line Frequency");
    EXPECT_EQ(power.kind, CameraControlKind::kPopup);
    EXPECT_EQ(power.choices, (std::vector<CameraControlChoice>{{0, "Disabled"}, {1, "50 Hz"}, {3, "Auto"}}));
    const CameraControl& gain = Named(controls, "Gain");
    EXPECT_EQ(gain.kind, CameraControlKind::kPopup);
    EXPECT_EQ(gain.choices, (std::vector<CameraControlChoice>{{0, "100"}, {1, "400"}}));
    const CameraControl& temperature = Named(controls, "White Balance Temperature");
    EXPECT_TRUE(temperature.inactive);
    EXPECT_FALSE(temperature.readOnly);
    EXPECT_EQ(temperature.step, 10);
    EXPECT_TRUE(Named(controls, "Exposure").readOnly);
}

TEST_F(V4L2SourceTest, ControlsBecomeSlidersCheckBoxesAndPopups) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}})};
    nodes_[0].controls = SomeControls();
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    ExpectTheDialogItems(source->Controls());

    EXPECT_TRUE(source->SetControl(V4L2_CID_BRIGHTNESS, -20));
    EXPECT_FALSE(source->SetControl(V4L2_CID_BRIGHTNESS, 99));  // out of range: refused
    EXPECT_FALSE(source->SetControl(V4L2_CID_EXPOSURE, 10));    // read only
    EXPECT_EQ(fake_->controlWrites, (std::vector<std::pair<uint32_t, int32_t>>{{V4L2_CID_BRIGHTNESS, -20}}));
    EXPECT_EQ(Named(source->Controls(), "Brightness").value, -20);
}

TEST_F(V4L2SourceTest, ADriverThatCannotListInTurnIsAskedControlByControl) {
    nodes_ = {Webcam("/dev/video0", {{V4L2_PIX_FMT_YUYV}})};
    nodes_[0].controls = SomeControls();
    nodes_[0].listsControlsInTurn = false;
    auto source = MakeSource();
    std::string error;
    ASSERT_TRUE(source->Open(error)) << error;
    ExpectTheDialogItems(source->Controls());
}

}  // namespace

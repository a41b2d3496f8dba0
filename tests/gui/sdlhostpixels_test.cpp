// The desktop host's pixels as the X server shows them: read back with ImageMagick's
// import and compared pixel for pixel.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/gui/DesktopFixture.h"
#include "tests/support/PpmImage.h"

namespace {

using namespace std::chrono_literals;

// A pattern that differs from pixel to pixel, so that a shift, a flip, a swapped
// channel or a wrong row stride shows.
void PatternPixel(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) {
    *r = static_cast<uint8_t>(x * 4 + 3);
    *g = static_cast<uint8_t>(y * 6 + 1);
    *b = static_cast<uint8_t>(0x80 | ((x + 2 * y) & 0x3F));
}

void FillWithPattern(WindowPtr w) {
    PixMap& pm = w->pixMap;
    for (int y = 0; y < RectHeight(pm.bounds); ++y) {
        uint8_t* row = pm.baseAddr + static_cast<size_t>(y) * pm.RowBytes();
        for (int x = 0; x < RectWidth(pm.bounds); ++x) {
            row[4 * x] = 0;
            PatternPixel(x, y, &row[4 * x + 1], &row[4 * x + 2], &row[4 * x + 3]);
        }
    }
    w->dirty = true;
}

int CountMismatches(const PpmImage& shot, int width, int height, std::string* first) {
    int bad = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t er, eg, eb;
            PatternPixel(x, y, &er, &eg, &eb);
            const bool inside = x < shot.width && y < shot.height;
            const Rgb shown = inside ? shot.At(x, y) : Rgb{};
            const uint8_t r = shown.r, g = shown.g, b = shown.b;
            if (!inside || r != er || g != eg || b != eb) {
                if (bad++ == 0) {
                    std::ostringstream os;
                    os << "at " << x << "," << y << ": " << int(r) << " " << int(g) << " " << int(b) << " not "
                       << int(er) << " " << int(eg) << " " << int(eb);
                    *first = os.str();
                }
            }
        }
    }
    return bad;
}

using PixelsTest = DesktopTest;

TEST_F(PixelsTest, ScreenshotShowsTheWindowsPixelsUnchangedAtItsPlace) {
    // An odd width, so that rows carry padding the upload must step over.
    const Rect bounds = MakeRect(300, 200, 361, 237);
    WindowPtr w = OpenWindow(bounds, "Pixels");
    ASSERT_GT(w->pixMap.RowBytes(), 4 * RectWidth(bounds));
    Settle();
    FillWithPattern(w);
    std::string first;
    int bad = -1;
    // The display takes the pixels on its own time: look again for a while.
    for (int attempt = 0; attempt < 20 && bad != 0; ++attempt) {
        Settle(50);
        const PpmImage shot = CaptureScreen(bounds);
        ASSERT_EQ(shot.error, "");
        ASSERT_EQ(shot.width, RectWidth(bounds));
        ASSERT_EQ(shot.height, RectHeight(bounds));
        bad = CountMismatches(shot, shot.width, shot.height, &first);
    }
    EXPECT_EQ(bad, 0) << "first mismatch " << first;
}

int CountLit(const PpmImage& shot) {
    int lit = 0;
    for (uint8_t v : shot.rgb) lit += v != 0;
    return lit;
}

TEST_F(PixelsTest, WindowIsBlackUntilItsUpdateIsAnswered) {
    // Fresh pixels are white; at night the screen must not flash.
    const Rect bounds = MakeRect(500, 300, 540, 330);
    WindowPtr w = OpenWindow(bounds, "Dark");
    ASSERT_TRUE(w->updatePending);
    EventRecord e;
    // The event loop runs (and presents what was drawn) but nobody answers the update.
    for (int i = 0; i < 5; ++i) WaitNextEvent(everyEvent & ~(1u << updateEvt), &e, 2, nullptr);
    PpmImage shot = CaptureScreen(bounds);
    ASSERT_EQ(shot.error, "");
    EXPECT_EQ(CountLit(shot), 0);

    // The update is answered with drawing: the drawing shows.
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 30, nullptr));
    ASSERT_EQ(e.what, updateEvt);
    BeginUpdate(w);
    FillWithPattern(w);
    EndUpdate(w);
    int bad = -1;
    std::string first;
    for (int attempt = 0; attempt < 20 && bad != 0; ++attempt) {
        Settle(50);
        shot = CaptureScreen(bounds);
        ASSERT_EQ(shot.error, "");
        bad = CountMismatches(shot, shot.width, shot.height, &first);
    }
    EXPECT_EQ(bad, 0) << first;
}

TEST_F(PixelsTest, UncoveringAWindowAsksForAnUpdate) {
    WindowPtr below = OpenWindow(MakeRect(100, 100, 300, 250), "Below");
    Settle(200);
    WindowPtr above = OpenWindow(MakeRect(150, 150, 350, 300), "Above");
    Settle(200);
    HideWindow(above);
    bool updated = false;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!updated && std::chrono::steady_clock::now() < deadline) {
        EventRecord e;
        if (WaitNextEvent(everyEvent, &e, 1, nullptr) && e.what == updateEvt) {
            WindowPtr u = WindowFromReference(e.message);
            ASSERT_NE(u, nullptr);
            BeginUpdate(u);
            EndUpdate(u);
            updated = u == below;
        }
    }
    EXPECT_TRUE(updated);
}

}  // namespace

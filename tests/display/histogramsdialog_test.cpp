// HistogramsDialog: its start state, the scale buttons, automatic and reset levels,
// presses on the sliders, the histograms of a frame and the program-drawn dialog, and
// the levels applied to the present frame through the pipeline at once.
#include "display/HistogramsDialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

#include "app/Templates.h"
#include "display/FrameWindowsGroup.h"
#include "display/Histogram.h"
#include "display/LevelsSlider.h"
#include "image/GWorldWrapper.h"
#include "processing/RawFrameProcessor.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kThumb{0xC0, 0, 0};
constexpr Rgb kFrameGrey{57, 57, 57};  // 14592 / 256

Point At(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }
Point CentreOf(const Rect& r) { return At((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// A pixel of a port, in its local coordinates.
Rgb PortPixel(GrafPtr port, int h, int v) {
    const PixMap& pm = port->pixMap;
    const uint8_t* p = pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + 4 * (h - pm.bounds.left);
    return {p[1], p[2], p[3]};
}

// The dialog and a way to press in it as the application does: the platform's dialog
// handling names the item, then the dialog handles the event.
class DialogFixture : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterAllTemplates();
    }

    void MakeDialog(RawFrameProcessor* processor) {
        dialog = std::make_unique<HistogramsDialog>(processor);
        ASSERT_NE(dialog->GetHistogramsDialog(), nullptr);
    }

    void ShowDialog() {
        ShowWindow(Window());
        EventRecord update;
        update.what = updateEvt;
        update.message = Window()->reference;
        RouteEvent(update);
    }

    WindowPtr Window() const { return GetDialogWindow(dialog->GetHistogramsDialog()); }
    GrafPtr Port() const { return GetDialogPort(dialog->GetHistogramsDialog()); }

    Point ToGlobal(Point local) const {
        SetPort(Port());
        LocalToGlobal(&local);
        return local;
    }

    void RouteEvent(EventRecord& event) {
        ASSERT_TRUE(IsDialogEvent(event));
        DialogPtr which = nullptr;
        int16_t item = 0;
        DialogSelect(event, &which, &item);
        ASSERT_EQ(which, dialog->GetHistogramsDialog());
        dialog->HandleDialogEvent(event, item);
    }

    // A press at a point of the dialog, the button held through `moves`, released at
    // the last place (all in the dialog's coordinates).
    void PressInDialog(Point local, const std::vector<Point>& moves = {}) {
        const Point global = ToGlobal(local);
        std::vector<MouseState> script;
        for (Point p : moves) script.push_back({ToGlobal(p), true});
        script.push_back({moves.empty() ? global : ToGlobal(moves.back()), false});
        host().SetMouse(global, true);
        host().ScriptMouse(script);
        EventRecord press;
        press.what = mouseDown;
        press.where = global;
        RouteEvent(press);
        // A press that nothing followed leaves its release to come.
        while (!host().ScriptEmpty()) StillDown();
    }

    // Drags a slider's thumb horizontally by dh, or to the height v.
    void DragThumbBy(const Rect& thumb, int dh) {
        const Point press = CentreOf(thumb);
        PressInDialog(press, {At(press.h + dh / 2, press.v), At(press.h + dh, press.v)});
    }
    void DragThumbToHeight(const Rect& thumb, int v) {
        const Point press = CentreOf(thumb);
        PressInDialog(press, {At(press.h, v)});
    }

    const LevelsSlider& Slider(int c) const { return dialog->GetLevelsSlider(c); }

    short ScaleItemOn() const {
        short on = 0;
        for (short i = 1; i <= 5; ++i) {
            ControlHandle control = nullptr;
            GetDialogItem(dialog->GetHistogramsDialog(), i, nullptr, &control, nullptr);
            if (GetControlValue(control) == 1) {
                if (on != 0) return -1;  // more than one
                on = i;
            }
        }
        return on;
    }

    void ExpectLevels(int c, int dark, int light, double gamma) {
        EXPECT_EQ(dialog->GetDarkCutoffs()[c], dark) << "channel " << c;
        EXPECT_EQ(dialog->GetLightCutoffs()[c], light) << "channel " << c;
        EXPECT_DOUBLE_EQ(dialog->GetGammas()[c], gamma) << "channel " << c;
        int sliderDark = 0, sliderLight = 0;
        double sliderGamma = 0.0;
        Slider(c).GetCutoffs(sliderDark, sliderLight, sliderGamma);
        EXPECT_EQ(sliderDark, dark) << "slider " << c;
        EXPECT_EQ(sliderLight, light) << "slider " << c;
        EXPECT_DOUBLE_EQ(sliderGamma, gamma) << "slider " << c;
    }

    // Red from 12 to 200 (and 100), green 128 everywhere, blue from 5 to 250.
    static std::unique_ptr<GWorldWrapper> KnownFrame() {
        auto frame = MakeFrame(16, 12);
        FillFrame(*frame, [](int x, int y) {
            const uint8_t red = x == 0 && y == 0 ? 12 : (x == 15 && y == 11 ? 200 : 100);
            const uint8_t blue = static_cast<uint8_t>(5 + (x * 245) / 15);
            return Rgb{red, 128, blue};
        });
        return frame;
    }

    std::unique_ptr<HistogramsDialog> dialog;
};

// ---- Without the pipeline: the dialog's own state ---------------------------------------

class HistogramsDialogTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        MakeDialog(nullptr);
    }
};

TEST_F(HistogramsDialogTest, StartState) {
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_EQ(dialog->GetHistogramScale(), 25.0);
    EXPECT_EQ(ScaleItemOn(), 3);
    for (int c = 0; c < 4; ++c) {
        ExpectLevels(c, 0, 255, 1.0);
        EXPECT_EQ(dialog->GetHistogram(c).GetChannel(), c);
        EXPECT_EQ(dialog->GetHistogram(c).GetNBins(), 256);
        EXPECT_EQ(RectHeight(dialog->GetHistogram(c).GetPlot()->GetDim()), 50);
        EXPECT_EQ(Slider(c).GetChannel(), c);
    }
    EXPECT_EQ(Slider(0).GetOrigin(), At(10, 10));
    EXPECT_EQ(Slider(1).GetOrigin(), At(300, 10));
    EXPECT_EQ(Slider(2).GetOrigin(), At(10, 100));
    EXPECT_EQ(Slider(3).GetOrigin(), At(300, 100));
    Rect box;
    GetPortBounds(Port(), &box);
    EXPECT_GE(RectWidth(box), 590);
    EXPECT_GE(RectHeight(box), 220);
}

TEST_F(HistogramsDialogTest, ScaleButtonsSetTheMagnification) {
    ShowDialog();
    const double expected[] = {1.0, 5.0, 25.0, 125.0, 625.0};
    for (short item : {5, 1, 4, 2, 3}) {
        Rect box;
        GetDialogItem(dialog->GetHistogramsDialog(), item, nullptr, nullptr, &box);
        PressInDialog(CentreOf(box));
        EXPECT_EQ(dialog->GetHistogramScale(), expected[item - 1]) << "item " << item;
        EXPECT_EQ(ScaleItemOn(), item);
    }
}

// The scale changes only the drawing: a level holding 1 % of the pixels stands 12.5
// pixels high at 25X and is a single pixel at 1X.
TEST_F(HistogramsDialogTest, ScaleChangesTheHeightOfThePlottedColumns) {
    ShowDialog();
    auto frame = MakeFrame(10, 10);
    FillFrame(*frame, [](int x, int y) { return x == 0 && y == 0 ? Rgb{40, 40, 40} : Rgb{90, 90, 90}; });
    dialog->UpdateHistograms(frame.get(), frame->GetDim());
    ASSERT_DOUBLE_EQ(dialog->GetHistogram(0).GetBin(40), 0.01);
    // Value plot: column of level i at h 12 + i, rows 12 (top) .. 61 (bottom).
    auto columnTop = [&](int level) {
        for (int row = 0; row < 50; ++row)
            if (PortPixel(Port(), 12 + level, 12 + row).r > 0) return row;
        return -1;
    };
    EXPECT_EQ(columnTop(40), 37);
    EXPECT_EQ(columnTop(90), 0);
    EXPECT_EQ(columnTop(41), -1);

    Rect box;
    GetDialogItem(dialog->GetHistogramsDialog(), 1, nullptr, nullptr, &box);
    PressInDialog(CentreOf(box));
    EXPECT_EQ(columnTop(40), 49);
    EXPECT_EQ(columnTop(90), 0);
}

TEST_F(HistogramsDialogTest, HistogramsOfTheRectangleWhileShown) {
    auto frame = KnownFrame();
    // Hidden: nothing is computed.
    dialog->UpdateHistograms(frame.get(), frame->GetDim());
    EXPECT_EQ(dialog->GetHistogram(2).GetBin(128), 0.0);

    ShowDialog();
    dialog->UpdateHistograms(frame.get(), frame->GetDim());
    EXPECT_DOUBLE_EQ(dialog->GetHistogram(1).GetBin(12), 1.0 / 192);
    EXPECT_DOUBLE_EQ(dialog->GetHistogram(1).GetBin(100), 190.0 / 192);
    EXPECT_EQ(dialog->GetHistogram(2).GetBin(128), 1.0);
    EXPECT_DOUBLE_EQ(dialog->GetHistogram(3).GetBin(250), 12.0 / 192);
    // Value: 128 where blue is below it, blue where above.
    EXPECT_DOUBLE_EQ(dialog->GetHistogram(0).GetBin(128), 8.0 * 12 / 192);
    // The green plot (drawn at (10, 100)) shows its one full column.
    EXPECT_GT(PortPixel(Port(), 12 + 128, 102).r, 0);
    EXPECT_EQ(PortPixel(Port(), 12 + 127, 151), kBlack);

    // A rectangle that leaves the frame keeps the histograms as they were.
    auto other = MakeFrame(16, 12);
    FillFrame(*other, Rgb{1, 2, 3});
    dialog->UpdateHistograms(other.get(), MakeRect(0, 0, 17, 12));
    EXPECT_EQ(dialog->GetHistogram(2).GetBin(128), 1.0);
    EXPECT_EQ(dialog->GetHistogram(2).GetBin(2), 0.0);

    // Only the rectangle counts.
    dialog->UpdateHistograms(frame.get(), MakeRect(1, 0, 15, 11));
    EXPECT_EQ(dialog->GetHistogram(1).GetBin(100), 1.0);
}

TEST_F(HistogramsDialogTest, DrawTheDialogPaintsAroundTheItems) {
    ShowDialog();
    GrafPtr port = Port();
    // Black around the items, grey histogram frames, the thumbs under them.
    for (Point p : {At(0, 0), At(295, 5), At(5, 215), At(585, 195), At(505, 200), At(170, 196), At(428, 205)})
        EXPECT_EQ(PortPixel(port, p.h, p.v), kBlack) << p.h << "," << p.v;
    for (Point p : {At(10, 10), At(300, 10), At(10, 100), At(300, 100), At(269, 63)})
        EXPECT_EQ(PortPixel(port, p.h, p.v), kFrameGrey) << p.h << "," << p.v;
    for (int c = 0; c < 4; ++c) {
        const Rect dark = Slider(c).GetDarkThumbRect();
        const Rect light = Slider(c).GetLightThumbRect();
        EXPECT_EQ(PortPixel(port, dark.left + 5, dark.top), kThumb) << c;
        EXPECT_EQ(PortPixel(port, light.left + 5, light.top + 3), kThumb) << c;
    }
    // The scale labels in red at baseline 200.
    auto redInk = [&](int left, int right) {
        for (int v = 188; v < 201; ++v)
            for (int h = left; h < right; ++h) {
                const Rgb c = PortPixel(port, h, v);
                if (c.r > 0 && c.g == 0 && c.b == 0) return true;
            }
        return false;
    };
    EXPECT_TRUE(redInk(10, 125));   // "Histogram Scale:"
    EXPECT_TRUE(redInk(150, 165));  // "1X"
    EXPECT_TRUE(redInk(390, 420));  // "625X"
    EXPECT_FALSE(redInk(0, 10));
    EXPECT_EQ(port->fgColor, (RGBColor{0, 0, 0}));
    EXPECT_EQ(port->bkColor, (RGBColor{0, 0, 0}));  // the dialog's own, after the plots' copies
    EXPECT_EQ(port->pnSize, (Point{1, 1}));
}

TEST_F(HistogramsDialogTest, AutomaticLevelsFromTheHistograms) {
    ShowDialog();
    // The value channel's levels are the observer's and stay.
    DragThumbBy(Slider(0).GetDarkThumbRect(), 30);
    ExpectLevels(0, 30, 255, 1.0);

    auto frame = KnownFrame();
    dialog->UpdateHistograms(frame.get(), frame->GetDim());
    Rect box;
    GetDialogItem(dialog->GetHistogramsDialog(), HistogramsDialog::kAutoLevelsItem, nullptr, nullptr, &box);
    PressInDialog(CentreOf(box));

    ExpectLevels(0, 30, 255, 1.0);
    ExpectLevels(1, 12, 200, 1.0);
    ExpectLevels(2, 128, 128, 1.0);  // one level: equal cutoffs
    ExpectLevels(3, 5, 250, 1.0);
    // The sliders are drawn at their new places.
    const Rect redDark = Slider(1).GetDarkThumbRect();
    EXPECT_EQ(redDark.left, 300 + 12 - 3);
    EXPECT_EQ(PortPixel(Port(), redDark.left + 5, redDark.top), kThumb);
}

// Histograms with no pixel at all (an empty rectangle) have no occupied level: the
// cutoffs stay as they were and only the gamma goes back to 1.
TEST_F(HistogramsDialogTest, AutomaticLevelsOfEmptyHistogramsKeepTheCutoffs) {
    ShowDialog();
    auto frame = KnownFrame();
    dialog->UpdateHistograms(frame.get(), frame->GetDim());
    Rect box;
    GetDialogItem(dialog->GetHistogramsDialog(), HistogramsDialog::kAutoLevelsItem, nullptr, nullptr, &box);
    PressInDialog(CentreOf(box));
    DragThumbToHeight(Slider(1).GetGammaThumbRect(), 10 + 10);  // red gamma 6.4
    EXPECT_DOUBLE_EQ(dialog->GetGammas()[1], 1.0 / 6.4);

    dialog->UpdateHistograms(frame.get(), MakeRect(3, 3, 3, 3));
    for (int c = 0; c < 4; ++c)
        for (int level = 0; level < 256; ++level) ASSERT_EQ(dialog->GetHistogram(c).GetBin(level), 0.0);
    PressInDialog(CentreOf(box));
    ExpectLevels(1, 12, 200, 1.0);
    ExpectLevels(2, 128, 128, 1.0);
    ExpectLevels(3, 5, 250, 1.0);
}

TEST_F(HistogramsDialogTest, ResetLevelsAfterChanges) {
    ShowDialog();
    auto frame = KnownFrame();
    dialog->UpdateHistograms(frame.get(), frame->GetDim());
    Rect autoBox, resetBox;
    GetDialogItem(dialog->GetHistogramsDialog(), HistogramsDialog::kAutoLevelsItem, nullptr, nullptr, &autoBox);
    GetDialogItem(dialog->GetHistogramsDialog(), HistogramsDialog::kResetLevelsItem, nullptr, nullptr, &resetBox);
    PressInDialog(CentreOf(autoBox));
    DragThumbBy(Slider(0).GetLightThumbRect(), -55);
    DragThumbToHeight(Slider(0).GetGammaThumbRect(), 10);
    ExpectLevels(0, 0, 200, 0.1);

    PressInDialog(CentreOf(resetBox));
    for (int c = 0; c < 4; ++c) ExpectLevels(c, 0, 255, 1.0);
    // The sliders show them: the red dark thumb is back at level 0.
    const Rect redDark = Slider(1).GetDarkThumbRect();
    EXPECT_EQ(redDark, MakeRect(297, 65, 308, 71));
    EXPECT_EQ(PortPixel(Port(), 302, 65), kThumb);
    EXPECT_EQ(PortPixel(Port(), 314, 65), kBlack);  // where it stood at level 12
    EXPECT_EQ(Slider(0).GetGammaThumbRect().top, 41);
}

// A slider hands over its levels when its value changed; the others are untouched.
TEST_F(HistogramsDialogTest, SliderPressesSetThatChannelsLevels) {
    ShowDialog();
    DragThumbBy(Slider(2).GetDarkThumbRect(), 40);
    ExpectLevels(2, 40, 255, 1.0);
    DragThumbBy(Slider(3).GetLightThumbRect(), -100);
    ExpectLevels(3, 0, 155, 1.0);
    DragThumbToHeight(Slider(1).GetGammaThumbRect(), 10 + 35);  // shown 0.9
    EXPECT_DOUBLE_EQ(dialog->GetGammas()[1], 1.0 / 0.9);
    EXPECT_DOUBLE_EQ(Slider(1).GetShownGamma(), 0.9);
    ExpectLevels(0, 0, 255, 1.0);
    EXPECT_EQ(dialog->GetDarkCutoffs()[2], 40);

    // A press that moves no thumb changes nothing.
    PressInDialog(At(150, 40), {At(160, 40)});
    EXPECT_EQ(dialog->GetDarkCutoffs()[2], 40);
    EXPECT_EQ(dialog->GetLightCutoffs()[3], 155);
}

TEST_F(HistogramsDialogTest, HiddenDialogDrawsNothing) {
    ShowDialog();
    HideWindow(Window());
    // Mark a pixel the dialog paints; drawing while hidden must leave it.
    GrafPtr port = Port();
    uint8_t* p = port->pixMap.baseAddr + 5 * port->pixMap.RowBytes() + 4 * 5;
    p[1] = 77;
    EventRecord update;
    update.what = updateEvt;
    update.message = Window()->reference;
    dialog->HandleDialogEvent(update, 0);
    dialog->DrawTheDialog();
    dialog->DrawLevelsSliders();
    EXPECT_EQ(PortPixel(port, 5, 5).r, 77);
}

// ---- With the pipeline: level changes rebuild the present frame at once -------------------

class HistogramsDialogPipelineTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        raw = MakeFrame(16, 12);
        longExposure = MakeFrame(16, 12);
        adjusted = MakeFrame(16, 12);
        red = MakeFrame(4, 3);
        green = MakeFrame(4, 3);
        blue = MakeFrame(4, 3);
        processor = std::make_unique<RawFrameProcessor>(raw.get(), longExposure.get(), adjusted.get(), red.get(),
                                                        green.get(), blue.get(), nullptr);
        MakeDialog(processor.get());
        group = std::make_unique<FrameWindowsGroup>(raw.get(), longExposure.get(), adjusted.get(), red.get(),
                                                    green.get(), blue.get(), processor.get(), nullptr, nullptr,
                                                    dialog.get(), nullptr);
        processor->SetFrameWindowsGroup(group.get());
        ShowDialog();
    }
    void TearDown() override {
        group.reset();
        dialog.reset();
        processor.reset();
        DialogFixture::TearDown();
    }

    void RunPipelineOnce() {
        processor->GenerateLevelAdjustedFrame(dialog->GetDarkCutoffs(), dialog->GetLightCutoffs(),
                                              dialog->GetGammas(), dialog.get());
    }

    std::unique_ptr<GWorldWrapper> raw, longExposure, adjusted, red, green, blue;
    std::unique_ptr<RawFrameProcessor> processor;
    std::unique_ptr<FrameWindowsGroup> group;
};

TEST_F(HistogramsDialogPipelineTest, SliderDragRemapsThePresentFrame) {
    FillFrame(*raw, Rgb{100, 50, 0});
    RunPipelineOnce();
    ASSERT_EQ(GetPixel(*adjusted, 3, 3), (Rgb{100, 50, 0}));

    // Red light cutoff 255 -> 127: red 100 becomes 255 x 100 / 128; green goes
    // through the neutral table, 255 x 50 / 256.
    DragThumbBy(Slider(1).GetLightThumbRect(), -128);
    ASSERT_EQ(dialog->GetLightCutoffs()[1], 127);
    EXPECT_EQ(GetPixel(*adjusted, 3, 3), (Rgb{199, 49, 0}));
    EXPECT_EQ(GetPixel(*adjusted, 15, 11), (Rgb{199, 49, 0}));
    EXPECT_EQ(GetPixel(*raw, 3, 3), (Rgb{100, 50, 0}));
}

// A press that moves no slider still rebuilds the level-adjusted frame from the raw
// frame as it is now, histograms included.
struct IdlePressCase {
    const char* name;
    Point local;
};

void PrintTo(const IdlePressCase& c, std::ostream* os) { *os << c.name; }

class IdlePressTest : public HistogramsDialogPipelineTest, public ::testing::WithParamInterface<IdlePressCase> {};

TEST_P(IdlePressTest, RebuildsTheFrame) {
    FillFrame(*raw, Rgb{10, 20, 30});
    RunPipelineOnce();
    ASSERT_EQ(GetPixel(*adjusted, 0, 0), (Rgb{10, 20, 30}));
    ASSERT_EQ(dialog->GetHistogram(3).GetBin(30), 1.0);

    FillFrame(*raw, Rgb{60, 70, 80});  // a frame the pipeline has not seen
    PressInDialog(GetParam().local);
    EXPECT_EQ(GetPixel(*adjusted, 0, 0), (Rgb{60, 70, 80}));
    EXPECT_EQ(GetPixel(*adjusted, 15, 11), (Rgb{60, 70, 80}));
    EXPECT_EQ(dialog->GetHistogram(3).GetBin(80), 1.0);
    EXPECT_EQ(dialog->GetHistogram(3).GetBin(30), 0.0);
    for (int c = 0; c < 4; ++c) ExpectLevels(c, 0, 255, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, IdlePressTest,
                         ::testing::Values(IdlePressCase{"OnAHistogram", At(150, 40)},
                                           IdlePressCase{"BetweenTheItems", At(225, 196)},
                                           IdlePressCase{"BesideAThumb", At(40, 68)}),
                         [](const ::testing::TestParamInfo<IdlePressCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(HistogramsDialogPipelineTest, AutomaticLevelsStretchThePresentFrame) {
    auto known = KnownFrame();
    FillFrame(*raw, [&](int x, int y) { return GetPixel(*known, x, y); });
    RunPipelineOnce();  // the histograms of the whole frame, before the levels

    Rect box;
    GetDialogItem(dialog->GetHistogramsDialog(), HistogramsDialog::kAutoLevelsItem, nullptr, nullptr, &box);
    PressInDialog(CentreOf(box));
    ExpectLevels(1, 12, 200, 1.0);
    // Red 12 -> 0; 100 -> 255 x 88 / 189; 200 (the light cutoff) -> 256 x 188 / 189.
    EXPECT_EQ(GetPixel(*adjusted, 0, 0).r, 0);
    EXPECT_EQ(GetPixel(*adjusted, 5, 5).r, 118);
    EXPECT_EQ(GetPixel(*adjusted, 15, 11).r, 254);
    // Green at one level: everything at or below the dark cutoff goes to 0.
    EXPECT_EQ(GetPixel(*adjusted, 5, 5).g, 0);

    // Reset: neutral levels leave the frame as the raw frame.
    GetDialogItem(dialog->GetHistogramsDialog(), HistogramsDialog::kResetLevelsItem, nullptr, nullptr, &box);
    PressInDialog(CentreOf(box));
    EXPECT_TRUE(SameColours(*adjusted, *raw));
}

}  // namespace

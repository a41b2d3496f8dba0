// The exposure and amplifier switches on modem lines and on an SV203 board, and the
// video phase.
#include "tests/control/ControlFixture.h"

namespace {

constexpr int DTR = kModemLineDTR;
constexpr int RTS = kModemLineRTS;

class ExposureControlTest : public ControlTest {
protected:
    // One port with the function, opened and brought to rest; the records cleared and
    // the lines set to startLines.
    int ConfigureOne(SerialInterface& serial, SerialInterface::SerialPortFtn function, int startLines) {
        AddTerminalPort();
        ConfigurePorts(serial, {function});
        int fd = serial.GetPortDescriptor(0);
        EXPECT_GE(fd, 0);
        recorder().SetLines(fd, startLines);
        recorder().ClearRecords();
        return fd;
    }
};

enum class Op { kExposureOn, kExposureOff, kExposureOffForced, kAmpOff, kAmpOn, kAmpOnForced };

void Apply(SerialInterface& serial, Op op) {
    switch (op) {
        case Op::kExposureOn: serial.TurnExposureOn(); break;
        case Op::kExposureOff: serial.TurnExposureOff(false); break;
        case Op::kExposureOffForced: serial.TurnExposureOff(true); break;
        case Op::kAmpOff: serial.TurnAmpOff(); break;
        case Op::kAmpOn: serial.TurnAmpOn(false); break;
        case Op::kAmpOnForced: serial.TurnAmpOn(true); break;
    }
}

struct LineCase {
    const char* name;
    SerialInterface::SerialPortFtn function;
    int startLines;
    std::vector<Op> ops;
    std::vector<int> words;  // every word written, in order
    bool exposureOn;
    bool ampOff;
};

TEST_F(ExposureControlTest, EachFunctionWritesItsModemLineWords) {
    using S = SerialInterface;
    const std::vector<LineCase> cases = {
        {"exposure DTR", S::kExposureDTRFtn, DTR | RTS, {Op::kExposureOn, Op::kExposureOff}, {DTR, 0}, false, false},
        {"exposure DTR inverted", S::kExposureDTRInvertedFtn, DTR | RTS, {Op::kExposureOn, Op::kExposureOff},
         {0, DTR}, false, false},
        {"amp DTR", S::kAmpDTRFtn, RTS, {Op::kAmpOff, Op::kAmpOn}, {DTR, 0}, false, false},
        {"amp DTR inverted", S::kAmpDTRInvertedFtn, RTS, {Op::kAmpOff, Op::kAmpOn}, {0, DTR}, false, false},
        // Function 10 with both lines dropped: exposure raises DTR only, then the
        // amplifier raises RTS only; each goes back alone.
        {"DTR+RTS from none", S::kExposureDTRAmpRTSFtn, 0, {Op::kExposureOn, Op::kAmpOff},
         {DTR, DTR | RTS}, true, true},
        {"DTR+RTS back", S::kExposureDTRAmpRTSFtn, 0,
         {Op::kExposureOn, Op::kAmpOff, Op::kExposureOff, Op::kAmpOn}, {DTR, DTR | RTS, RTS, 0}, false, false},
        {"DTR+RTS leaves RTS", S::kExposureDTRAmpRTSFtn, RTS, {Op::kExposureOn}, {DTR | RTS}, true, false},
        {"inverted from both", S::kExposureDTRAmpRTSInvertedFtn, DTR | RTS, {Op::kExposureOn, Op::kAmpOff},
         {RTS, 0}, true, true},
        {"inverted back", S::kExposureDTRAmpRTSInvertedFtn, 0, {Op::kExposureOffForced, Op::kAmpOnForced},
         {DTR, DTR | RTS}, false, false},
        // A switch the port does not carry: nothing written, the flag unchanged.
        {"amp port, exposure op", S::kAmpDTRFtn, 0, {Op::kExposureOn}, {}, false, false},
        {"exposure port, amp op", S::kExposureDTRFtn, 0, {Op::kAmpOff}, {}, false, false},
        {"divider value", static_cast<S::SerialPortFtn>(9), 0, {Op::kExposureOn, Op::kAmpOff}, {}, false, false},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        SerialPorts().ClearGivenPorts();
        SerialInterface serial(dataWindow());
        int fd = ConfigureOne(serial, c.function, c.startLines);
        for (Op op : c.ops) Apply(serial, op);
        EXPECT_EQ(recorder().ModemWordsOf(fd), c.words);
        EXPECT_EQ(serial.GetExposureOn(), c.exposureOn);
        EXPECT_EQ(serial.GetAmpOff(), c.ampOff);
        EXPECT_TRUE(recorder().Writes().empty());
    }
}

TEST_F(ExposureControlTest, OnlyAForcedCallActsFromTheRestingState) {
    SerialInterface serial(dataWindow());
    int fd = ConfigureOne(serial, SerialInterface::kExposureDTRAmpRTSFtn, DTR | RTS);
    serial.TurnExposureOff(false);
    serial.TurnAmpOn(false);
    EXPECT_TRUE(recorder().ModemWordsOf(fd).empty());
    serial.TurnExposureOff(true);
    EXPECT_EQ(recorder().ModemWordsOf(fd), std::vector<int>{RTS});
    serial.TurnAmpOn(true);
    EXPECT_EQ(recorder().ModemWordsOf(fd), (std::vector<int>{RTS, 0}));
    // On twice: the second writes nothing.
    serial.TurnExposureOn();
    serial.TurnExposureOn();
    serial.TurnAmpOff();
    serial.TurnAmpOff();
    EXPECT_EQ(recorder().ModemWordsOf(fd), (std::vector<int>{RTS, 0, DTR, DTR | RTS}));
}

TEST_F(ExposureControlTest, TheResultOfTheLineCallsIsNotLookedAt) {
    SerialInterface serial(dataWindow());
    int fd = ConfigureOne(serial, SerialInterface::kExposureDTRAmpRTSFtn, 0);
    recorder().FailModemReads(true);
    serial.TurnExposureOn();
    // The present word could not be read: nothing written, but the port counts.
    EXPECT_TRUE(recorder().ModemWordsOf(fd).empty());
    EXPECT_TRUE(serial.GetExposureOn());
}

TEST_F(ExposureControlTest, TheDataWindowShowsTheStatesWhenTheyChange) {
    SerialInterface serial(dataWindow());
    ConfigureOne(serial, SerialInterface::kExposureDTRAmpRTSFtn, 0);
    serial.TurnExposureOn();
    EXPECT_TRUE(Shows(kLongExposureBox, [](DataWindow& w) { w.DrawLongExposureState(true); }));
    serial.TurnAmpOff();
    EXPECT_TRUE(Shows(kAmplifierBox, [](DataWindow& w) { w.DrawAmpStateState(true); }));
    serial.TurnExposureOff(false);
    EXPECT_TRUE(Shows(kLongExposureBox, [](DataWindow& w) { w.DrawLongExposureState(false); }));
    serial.TurnAmpOn(false);
    EXPECT_TRUE(Shows(kAmplifierBox, [](DataWindow& w) { w.DrawAmpStateState(false); }));
}

TEST_F(ExposureControlTest, WithOnlyAMountPortNothingChangesAndNothingIsDrawn) {
    SerialInterface serial(dataWindow());
    ConfigureOne(serial, SerialInterface::kAutoGuideFtn, 0);
    serial.TurnExposureOn();
    serial.TurnAmpOff();
    serial.TurnExposureOff(true);
    serial.TurnAmpOn(true);
    EXPECT_FALSE(serial.GetExposureOn());
    EXPECT_FALSE(serial.GetAmpOff());
    EXPECT_TRUE(recorder().ModemWrites().empty());
    EXPECT_TRUE(recorder().Writes().empty());
    auto nothing = [](DataWindow&) {};
    EXPECT_TRUE(Shows(kLongExposureBox, nothing));
    EXPECT_TRUE(Shows(kAmplifierBox, nothing));
}

TEST_F(ExposureControlTest, SV203CommandsDrivePinEightAndPinOne) {
    SerialInterface serial(dataWindow());
    PseudoTerminal& board = AddTerminalPort();
    ConfigurePorts(serial, {SerialInterface::kSV203Ftn});
    DrainTerminal(board);
    recorder().ClearRecords();
    serial.TurnExposureOn();
    serial.TurnAmpOff();
    serial.TurnAmpOn(false);
    serial.TurnExposureOff(false);
    std::vector<std::string> written;
    for (const auto& w : recorder().Writes()) written.push_back(w.bytes);
    EXPECT_EQ(written, (std::vector<std::string>{"PC8\r", "PC1\r", "PS1\r", "PS8\r"}));
    EXPECT_EQ(DrainTerminal(board), "PC8\rPC1\rPS1\rPS8\r");
    EXPECT_TRUE(recorder().ModemWrites().empty());
    EXPECT_FALSE(serial.GetExposureOn());
    EXPECT_FALSE(serial.GetAmpOff());
}

TEST_F(ExposureControlTest, EveryPortWithTheSwitchIsSwitchedInPortOrder) {
    SerialInterface serial(dataWindow());
    PseudoTerminal& a = AddTerminalPort();
    AddTerminalPort();
    PseudoTerminal& c = AddTerminalPort();
    ConfigurePorts(serial, {SerialInterface::kSV203Ftn, SerialInterface::kExposureDTRFtn, SerialInterface::kSV203Ftn});
    DrainTerminal(a);
    DrainTerminal(c);
    int fd1 = serial.GetPortDescriptor(1);
    recorder().ClearRecords();
    serial.TurnExposureOn();
    ASSERT_EQ(recorder().Writes().size(), 2u);
    EXPECT_EQ(recorder().Writes()[0].fd, serial.GetPortDescriptor(0));
    EXPECT_EQ(recorder().Writes()[1].fd, serial.GetPortDescriptor(2));
    EXPECT_EQ(recorder().ModemWordsOf(fd1), std::vector<int>{DTR});
    EXPECT_EQ(DrainTerminal(a), "PC8\r");
    EXPECT_EQ(DrainTerminal(c), "PC8\r");
}

// --- Video phase ----------------------------------------------------------------------

TEST_F(ExposureControlTest, TheVideoPhaseStepsBy250AndWrapsAtBothEnds) {
    SerialInterface serial(dataWindow());
    EXPECT_EQ(serial.GetVideoPhase(), 0);
    serial.DecreaseVideoPhase();
    EXPECT_EQ(serial.GetVideoPhase(), 33250);
    serial.IncreaseVideoPhase();
    EXPECT_EQ(serial.GetVideoPhase(), 0);
    for (int i = 0; i < 133; ++i) serial.IncreaseVideoPhase();
    EXPECT_EQ(serial.GetVideoPhase(), 33250);
    serial.IncreaseVideoPhase();
    EXPECT_EQ(serial.GetVideoPhase(), 0);
    serial.IncreaseVideoPhase();
    serial.DecreaseVideoPhase();
    EXPECT_EQ(serial.GetVideoPhase(), 0);
}

TEST_F(ExposureControlTest, WaitForVideoPhaseReturnsAtThePhaseOfTheNextPeriod) {
    constexpr uint64_t P = SerialInterface::kVideoPeriodMicros;
    constexpr uint64_t kStep = 7;
    struct Case {
        uint64_t start;
        int steps;  // video phase in steps of 250
    };
    const Case cases[] = {
        {1000 * P + 5, 4},        // early in a period
        {1000 * P + P - 3, 4},    // just before a boundary
        {1000 * P, 0},            // on a boundary, phase 0
        {1000 * P + 20000, 133},  // the largest phase
        {1000 * P + 31000, 128},  // a phase still ahead: the wait runs on into the next period
    };
    clock().SetStepPerRead(kStep);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        SerialInterface serial(dataWindow());
        for (int i = 0; i < c.steps; ++i) serial.IncreaseVideoPhase();
        uint64_t phase = static_cast<uint64_t>(serial.GetVideoPhase());
        clock().SetMicros(c.start);
        serial.WaitForVideoPhase();
        uint64_t lastReading = clock().PeekMicros() - kStep;
        EXPECT_GT(lastReading / P, c.start / P) << "a new period must have begun";
        EXPECT_GE(lastReading % P, phase);
        // The wait ends at the first reading at or past the phase after the reading
        // that saw the new period.
        EXPECT_LT(lastReading % P, phase + 2 * kStep);
        EXPECT_LT(lastReading - c.start, 2 * P + kStep);
    }
}

TEST_F(ExposureControlTest, TheSV203ExposureCommandWaitsForThePhaseAfterABoundary) {
    constexpr uint64_t P = SerialInterface::kVideoPeriodMicros;
    PseudoTerminal& board = AddTerminalPort();
    SerialInterface serial(dataWindow());
    ConfigurePorts(serial, {SerialInterface::kSV203Ftn});
    DrainTerminal(board);
    for (int i = 0; i < 4; ++i) serial.IncreaseVideoPhase();
    ASSERT_EQ(serial.GetVideoPhase(), 1000);
    for (uint64_t start : {5000 * P + 100, 5000 * P + 2000, 5000 * P + P - 1}) {
        SCOPED_TRACE(start);
        clock().SetMicros(start);
        recorder().ClearRecords();
        serial.TurnExposureOn();
        ASSERT_EQ(recorder().Writes().size(), 1u);
        const auto& write = recorder().Writes()[0];
        EXPECT_EQ(write.bytes, "PC8\r");
        EXPECT_GT(write.micros / P, start / P);
        EXPECT_GE(write.micros % P, 1000u);
        EXPECT_LT(write.micros % P, 1010u);
        EXPECT_EQ(DrainTerminal(board), "PC8\r");
        // The amplifier command does not wait.
        clock().SetMicros(start);
        serial.TurnAmpOff();
        ASSERT_EQ(recorder().Writes().size(), 2u);
        EXPECT_LT(recorder().Writes()[1].micros - start, 10u);
        EXPECT_EQ(DrainTerminal(board), "PC1\r");
        serial.TurnExposureOff(false);
        serial.TurnAmpOn(false);
        DrainTerminal(board);
    }
}

}  // namespace

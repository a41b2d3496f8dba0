// The stopwatch and its alarm on the virtual clock: counting, the one beep per
// arming, the frozen time after a stop and the wrap of the 32-bit tick counter.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/Alarm.h"
#include "app/StopWatch.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class StopWatchTest : public ToolboxTest {
protected:
    // One update after moving the clock on; returns the seconds shown.
    double AdvanceAndUpdate(StopWatch& watch, uint32_t ticks, bool& fired) {
        clock().AdvanceTicks(ticks);
        return watch.UpdateAndGetStopWatchSeconds(fired);
    }
};

TEST_F(StopWatchTest, NewStopWatchIsResetWithoutAlarm) {
    StopWatch watch;
    EXPECT_FALSE(watch.GetStopWatchRunning());
    EXPECT_EQ(watch.GetAlarmTrigger(), 0.0);
    bool fired = true;
    EXPECT_EQ(watch.UpdateAndGetStopWatchSeconds(fired), 0.0);
    EXPECT_FALSE(fired);
}

// A timeline: the clock's tick at the start, the alarm time, then updates after the
// given numbers of ticks with what each must show and the beeps heard so far.
struct Update {
    uint32_t advanceTicks;
    double seconds;
    bool fired;
    int beeps;
};
struct Timeline {
    const char* name;
    uint32_t startTick;
    double alarm;
    std::vector<Update> updates;
};

class StopWatchTimelineTest : public StopWatchTest, public ::testing::WithParamInterface<Timeline> {};

TEST_P(StopWatchTimelineTest, ShowsTimeAndBeepsOncePerArming) {
    const Timeline& t = GetParam();
    clock().SetTicks(t.startTick);
    StopWatch watch;
    watch.SetAlarmTrigger(t.alarm);
    watch.StartStopWatch();
    for (size_t i = 0; i < t.updates.size(); ++i) {
        const Update& u = t.updates[i];
        bool fired = !u.fired;
        double s = AdvanceAndUpdate(watch, u.advanceTicks, fired);
        EXPECT_DOUBLE_EQ(s, u.seconds) << "update " << i;
        EXPECT_EQ(fired, u.fired) << "update " << i;
        EXPECT_EQ(host().Beeps(), u.beeps) << "update " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Timelines, StopWatchTimelineTest,
    ::testing::Values(
        Timeline{"NoAlarmNeverFires", 1000, 0.0,
                 {{300, 5.0, false, 0}, {60 * 3600, 3605.0, false, 0}}},
        Timeline{"NegativeAlarmNeverFires", 0, -3.0, {{60, 1.0, false, 0}, {600, 11.0, false, 0}}},
        Timeline{"LatchesAtAlarmTime", 500, 5.0,
                 {{299, 299 / 60.0, false, 0}, {1, 5.0, true, 1}, {60, 6.0, true, 1}, {6000, 106.0, true, 1}}},
        Timeline{"FiresOnFirstUpdatePastAlarm", 0, 5.0, {{200, 200 / 60.0, false, 0}, {400, 10.0, true, 1}}},
        // The counter passes 2^32 between start and update: 90 ticks have elapsed.
        Timeline{"CounterWrap", 0xFFFFFFFFu - 29, 1.0,
                 {{20, 20 / 60.0, false, 0}, {70, 1.5, true, 1}, {3600, 61.5, true, 1}}}),
    [](const ::testing::TestParamInfo<Timeline>& info) { return std::string(info.param.name); });

TEST_F(StopWatchTest, NewAlarmTimeRearmsWhileRunning) {
    StopWatch watch;
    watch.SetAlarmTrigger(5.0);
    watch.StartStopWatch();
    bool fired = false;
    AdvanceAndUpdate(watch, 300, fired);
    ASSERT_TRUE(fired);
    ASSERT_EQ(host().Beeps(), 1);

    watch.SetAlarmTrigger(15.0);
    AdvanceAndUpdate(watch, 60, fired);
    EXPECT_FALSE(fired);
    AdvanceAndUpdate(watch, 539, fired);  // 14.98 s
    EXPECT_FALSE(fired);
    AdvanceAndUpdate(watch, 1, fired);  // 15.0 s
    EXPECT_TRUE(fired);
    EXPECT_EQ(host().Beeps(), 2);
    EXPECT_EQ(watch.GetAlarmTrigger(), 15.0);
}

TEST_F(StopWatchTest, StopFreezesTimeOfLastUpdate) {
    StopWatch watch;
    watch.SetAlarmTrigger(1.0);
    watch.StartStopWatch();
    bool fired = false;
    EXPECT_DOUBLE_EQ(AdvanceAndUpdate(watch, 120, fired), 2.0);
    ASSERT_TRUE(fired);
    clock().AdvanceTicks(60);  // passes unseen: no update before the stop
    watch.StopStopWatch();
    EXPECT_FALSE(watch.GetStopWatchRunning());

    // A stopped watch reports no alarm although it had fired, and keeps its time.
    fired = true;
    EXPECT_FALSE(watch.UpdateStopWatch(fired));
    EXPECT_FALSE(fired);
    EXPECT_DOUBLE_EQ(AdvanceAndUpdate(watch, 600, fired), 2.0);
    EXPECT_FALSE(fired);
    EXPECT_EQ(host().Beeps(), 1);
}

TEST_F(StopWatchTest, ResetClearsTimeAndRearmsButKeepsAlarmTime) {
    StopWatch watch;
    watch.SetAlarmTrigger(1.0);
    watch.StartStopWatch();
    bool fired = false;
    AdvanceAndUpdate(watch, 90, fired);
    ASSERT_TRUE(fired);

    watch.ResetStopWatch();
    EXPECT_FALSE(watch.GetStopWatchRunning());
    EXPECT_EQ(watch.GetAlarmTrigger(), 1.0);
    EXPECT_DOUBLE_EQ(AdvanceAndUpdate(watch, 600, fired), 0.0);
    EXPECT_FALSE(fired);

    // Re-armed: the next run beeps again.
    watch.StartStopWatch();
    AdvanceAndUpdate(watch, 60, fired);
    EXPECT_TRUE(fired);
    EXPECT_EQ(host().Beeps(), 2);
}

TEST_F(StopWatchTest, StartWhileRunningRestartsFromZero) {
    StopWatch watch;
    watch.SetAlarmTrigger(2.0);
    watch.StartStopWatch();
    bool fired = false;
    AdvanceAndUpdate(watch, 150, fired);
    ASSERT_TRUE(fired);

    watch.StartStopWatch();
    EXPECT_TRUE(watch.GetStopWatchRunning());
    EXPECT_DOUBLE_EQ(AdvanceAndUpdate(watch, 30, fired), 0.5);
    EXPECT_FALSE(fired);
    AdvanceAndUpdate(watch, 90, fired);
    EXPECT_TRUE(fired);
    EXPECT_EQ(host().Beeps(), 2);
}

TEST_F(StopWatchTest, AlarmTestsLatchOnItsOwn) {
    Alarm alarm;
    EXPECT_FALSE(alarm.TestTrigger(1e9));  // no trigger set
    alarm.SetTrigger(3.0);
    EXPECT_FALSE(alarm.TestTrigger(2.999));
    EXPECT_TRUE(alarm.TestTrigger(3.0));
    EXPECT_TRUE(alarm.TestTrigger(0.0));  // latched whatever the time
    EXPECT_EQ(host().Beeps(), 1);
    alarm.Reset();
    EXPECT_FALSE(alarm.TestTrigger(1.0));
    EXPECT_TRUE(alarm.TestTrigger(4.0));
    EXPECT_EQ(host().Beeps(), 2);
}

}  // namespace

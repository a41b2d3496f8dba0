// Background tasks: stepped at every event wait and every poll of the mouse, in the
// order they were added; added and removed safely even from inside a running task.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/ToolboxFixture.h"

namespace {

using BackgroundTasksTest = ToolboxTest;

void WaitOnce() {
    EventRecord e;
    WaitNextEvent(everyEvent, &e, 0, nullptr);
}

TEST_F(BackgroundTasksTest, EachTaskStepsAtEveryEventWaitAndEveryMousePoll) {
    std::string order;
    AddBackgroundTask([&] { order += 'a'; });
    AddBackgroundTask([&] { order += 'b'; });
    WaitOnce();
    host().ScriptMouse({MouseState{Point{5, 5}, true, 0}});
    EXPECT_TRUE(StillDown());
    EXPECT_FALSE(StillDown());
    EXPECT_EQ(order, "ababab");
}

TEST_F(BackgroundTasksTest, AScopedTaskStepsOnlyWhileItLives) {
    int steps = 0;
    {
        ScopedBackgroundTask task([&] { ++steps; });
        WaitOnce();
        WaitOnce();
    }
    WaitOnce();
    EXPECT_EQ(steps, 2);
}

TEST_F(BackgroundTasksTest, ATaskAddedByARunningTaskStartsAtTheNextRun) {
    int added = 0;
    std::optional<BackgroundTaskId> id;
    AddBackgroundTask([&] {
        // Enough tasks to make the list move while the run goes through it.
        if (!id)
            for (int i = 0; i < 64; ++i) id = AddBackgroundTask([&] { ++added; });
    });
    WaitOnce();
    EXPECT_EQ(added, 0);
    WaitOnce();
    EXPECT_EQ(added, 64);
}

TEST_F(BackgroundTasksTest, ATaskMayRemoveItselfAndOthersWhileRunning) {
    int first = 0, second = 0;
    BackgroundTaskId firstId = 0, secondId = 0;
    firstId = AddBackgroundTask([&] {
        ++first;
        RemoveBackgroundTask(firstId);
        RemoveBackgroundTask(secondId);
    });
    secondId = AddBackgroundTask([&] { ++second; });
    WaitOnce();
    WaitOnce();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0) << "removed before its turn in the same run";
}

TEST_F(BackgroundTasksTest, AWaitInsideATaskDoesNotStepTheTasksAgain) {
    int steps = 0;
    AddBackgroundTask([&] {
        ++steps;
        WaitOnce();
    });
    WaitOnce();
    EXPECT_EQ(steps, 1);
}

TEST_F(BackgroundTasksTest, RemovingAnUnknownTaskDoesNothing) {
    int steps = 0;
    AddBackgroundTask([&] { ++steps; });
    RemoveBackgroundTask(12345);
    WaitOnce();
    EXPECT_EQ(steps, 1);
}

}  // namespace

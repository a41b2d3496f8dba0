// A test fixture that starts the toolbox on the headless host and a virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"

class ToolboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto host = std::make_unique<HeadlessHost>();
        auto clock = std::make_unique<VirtualClock>();
        host_ = host.get();
        clock_ = clock.get();
        InitToolbox(std::move(host), std::move(clock));
    }
    void TearDown() override { ShutdownToolbox(); }

    HeadlessHost& host() { return *host_; }
    VirtualClock& clock() { return *clock_; }

private:
    HeadlessHost* host_ = nullptr;
    VirtualClock* clock_ = nullptr;
};

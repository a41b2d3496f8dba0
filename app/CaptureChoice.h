// Which capture source a run uses, from its options: the webcam named or the first
// one found, the simulated sky (following the simulated mount and SV203 board when
// they run), or the test pattern.
#pragma once

#include <memory>

#include "app/ProgramOptions.h"
#include "platform/capture/CaptureSource.h"

std::unique_ptr<CaptureSource> MakeCaptureSource(const ProgramOptions& options);
// The simulated sky at the options' frame size (640 x 480 when none is given).
std::unique_ptr<CaptureSource> MakeSimulatedSkySource(const ProgramOptions& options);

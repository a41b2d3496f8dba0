// A webcam's controls (brightness, exposure, white balance, ...) as the driver lists
// them, described for the camera settings dialog: integer controls become sliders,
// on/off controls check boxes, menus popups. Buttons, 64-bit and text controls and
// the class headings are left out, and so are disabled controls.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/capture/CameraControl.h"
#include "platform/capture/VideoDevice.h"

std::vector<CameraControl> ReadCameraControls(VideoDevice& device, int fd);
// Sets one control at once: 0, or the driver's error number.
int WriteCameraControl(VideoDevice& device, int fd, uint32_t id, int32_t value);

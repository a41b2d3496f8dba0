// A camera setting as the camera settings dialog shows it: a slider for a number, a
// check box for an on/off setting, a popup for a choice among named values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class CameraControlKind { kSlider, kCheckBox, kPopup };

struct CameraControlChoice {
    int32_t value = 0;
    std::string name;
    friend bool operator==(const CameraControlChoice&, const CameraControlChoice&) = default;
};

struct CameraControl {
    uint32_t id = 0;
    CameraControlKind kind = CameraControlKind::kSlider;
    std::string name;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t defaultValue = 0;
    int32_t value = 0;
    std::vector<CameraControlChoice> choices;  // popups only, in the camera's order
    bool readOnly = false;                     // shown but not changeable
    bool inactive = false;                     // ineffective for now (e.g. set by an automatic mode)
};

#pragma once

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// One setting of a capture device, as its display dialog shows it. A heading names the
// class of the controls that follow it.
struct CaptureControl {
    enum class Kind { Integer, Boolean, Menu, IntegerMenu, Button, Heading };

    uint32_t id = 0;
    QString name;
    Kind kind = Kind::Integer;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t defaultValue = 0;
    int32_t value = 0;
    // Inactive: the device ignores it at the moment (exposure time under auto exposure).
    bool inactive = false;
    bool readOnly = false;
    // The control switches an automatic mode (exposure, gain, white balance, hue) that is on
    // now: the device changes the picture's brightness or colours by itself.
    bool automaticModeOn = false;
    // For menus: the item values with their names.
    std::vector<std::pair<int32_t, QString>> menuItems;

    // Whether the control holds a value that can be written.
    bool HasValue() const { return kind != Kind::Heading && kind != Kind::Button; }
    bool Writable() const { return HasValue() && !readOnly; }
};

// The controls of a connected device as a display dialog reads and writes them.
class CaptureControlDevice {
public:
    // Every control with its value and flags as the device reports them now.
    virtual std::vector<CaptureControl> ReadControls() = 0;
    // 0, or the errno with which the device refused the value.
    virtual int WriteControl(uint32_t id, int32_t value) = 0;

protected:
    ~CaptureControlDevice() = default;
};

#include "sources/v4l2/UvcWebcam.h"

#include <cerrno>

namespace {

FakeControl Control(uint32_t id, uint32_t type, const char* name, int32_t minimum = 0, int32_t maximum = 0,
                    int32_t step = 1, int32_t value = 0, uint32_t flags = 0)
{
    FakeControl control;
    control.id = id;
    control.type = type;
    control.name = name;
    control.minimum = minimum;
    control.maximum = maximum;
    control.step = step;
    control.value = value;
    control.flags = flags;
    return control;
}

}  // namespace

FakeDeviceSetup UvcWebcam()
{
    FakeDeviceSetup setup;
    setup.card = "HD Webcam";
    setup.formats = {{V4L2_PIX_FMT_YUYV, "YUYV 4:2:2", {{320, 240}}}};
    FakeControl userClass = Control(V4L2_CID_USER_CLASS, V4L2_CTRL_TYPE_CTRL_CLASS, "User Controls");
    FakeControl brightness = Control(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", -64, 64, 1, 10);
    FakeControl autoBalance =
        Control(V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CTRL_TYPE_BOOLEAN, "White Balance, Automatic", 0, 1, 1, 1);
    autoBalance.defaultValue = 1;
    FakeControl gain = Control(V4L2_CID_GAIN, V4L2_CTRL_TYPE_INTEGER, "Gain", 0, 100, 1, 30, V4L2_CTRL_FLAG_READ_ONLY);
    FakeControl sharpness = Control(V4L2_CID_SHARPNESS, V4L2_CTRL_TYPE_INTEGER, "Sharpness", 0, 7, 1, 3);
    sharpness.refuseWith = EBUSY;
    FakeControl temperature = Control(V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CTRL_TYPE_INTEGER,
                                      "White Balance Temperature", 2800, 6500, 10, 4600);
    temperature.defaultValue = 4600;
    temperature.masterId = V4L2_CID_AUTO_WHITE_BALANCE;
    FakeControl cameraClass = Control(V4L2_CID_CAMERA_CLASS, V4L2_CTRL_TYPE_CTRL_CLASS, "Camera Controls");
    FakeControl autoExposure = Control(V4L2_CID_EXPOSURE_AUTO, V4L2_CTRL_TYPE_MENU, "Auto Exposure", 0, 3, 1, 3);
    autoExposure.menu = {"", "Manual Mode", "", "Aperture Priority Mode"};
    autoExposure.defaultValue = 3;
    FakeControl exposure = Control(V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Exposure Time, Absolute", 3,
                                   2047, 1, 250);
    exposure.defaultValue = 250;
    exposure.masterId = V4L2_CID_EXPOSURE_AUTO;
    exposure.masterManual = 1;
    FakeControl panReset = Control(V4L2_CID_PAN_RESET, V4L2_CTRL_TYPE_BUTTON, "Pan, Reset");
    FakeControl zoomSteps = Control(V4L2_CID_ZOOM_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER_MENU, "Zoom", 0, 2, 1, 0);
    zoomSteps.menu = {"100", "150", "200"};
    FakeControl pixelRate = Control(V4L2_CID_PIXEL_RATE, V4L2_CTRL_TYPE_INTEGER64, "Pixel Rate", 0, 1000, 1, 5);
    setup.controls = {userClass, brightness, autoBalance, gain, sharpness, temperature, cameraClass,
                      autoExposure, exposure, panReset, zoomSteps, pixelRate};
    return setup;
}

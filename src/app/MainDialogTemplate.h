#pragma once

#include <span>

// The main dialog's template: every control with its identifier, kind, text, rectangle (in
// dialog units: x, y, width, height) and styles, in creation (tab) order.

enum class ControlKind { PushButton, CheckBox, RadioButton, GroupBox, Label, Edit, ComboBox, UpDown, Trackbar };

enum ControlStyle : unsigned {
    kNoStyle = 0,
    kNumber = 1u << 0,       // digits only, right-aligned
    kReadOnly = 1u << 1,
    kNoBorder = 1u << 2,
    kAlignRight = 1u << 3,
    kAlignCentre = 1u << 4,
    kHidden = 1u << 5,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
    unsigned styles;
    // What a screen reader announces for a control without a caption of its own (the label
    // beside it); null for captioned controls. An up-down control takes its buddy's.
    const char* accessibleName;
};

// Identifier of the controls the program never addresses (labels, plain group boxes).
inline constexpr int kStaticId = -1;

// Identifiers of the main dialog's controls.
enum MainDialogControlId {
    IDC_EXIT = 2,
    IDC_SAVE = 3,
    IDC_SAVE_AS = 4,
    IDC_CAM_GROUP = 1000,
    IDC_HSV_GROUP = 1001,
    IDC_RED = 1002,
    IDC_RED_SPIN = 1003,
    IDC_GREEN = 1004,
    IDC_GREEN_SPIN = 1005,
    IDC_BLUE = 1006,
    IDC_BLUE_SPIN = 1007,
    IDC_OLD_MASK = 1008,
    IDC_NEW_MASK = 1009,
    IDC_HUE = 1010,
    IDC_HUE_SPIN = 1011,
    IDC_SATURATION = 1012,
    IDC_SATURATION_SPIN = 1013,
    IDC_VALUE = 1014,
    IDC_VALUE_SPIN = 1015,
    IDC_HUE_WIDTH = 1016,
    IDC_SATURATION_WIDTH = 1017,
    IDC_VALUE_WIDTH = 1018,
    IDC_HUE_RANGE = 1019,
    IDC_SATURATION_RANGE = 1020,
    IDC_VALUE_RANGE = 1021,
    IDC_ADD_CAM = 1022,
    IDC_DELETE_CAM = 1023,
    IDC_CAM_SETUP = 1025,
    IDC_MASK = 1028,
    IDC_FPS = 1029,
    IDC_EROSION = 1030,
    IDC_EROSION_COUNT = 1031,
    IDC_EROSION_SPIN = 1032,
    IDC_PRESET = 1033,
    IDC_LENS = 1034,
    IDC_DELETE_PRESET = 1035,
    IDC_DILATION_COUNT = 1036,
    IDC_DILATION_SPIN = 1037,
    IDC_LENS_PARAMETER = 1038,
    IDC_LENS_SPIN = 1039,
    IDC_EFFECT = 1040,
    IDC_INPUT = 1041,
    IDC_FRAME_COUNTER = 1042,
    IDC_WEB_CAMERA = 1043,
    IDC_AVI_FILE = 1044,
    IDC_FRAME_SLIDER = 1045,
    IDC_FPS_LABEL = 1046,
    IDC_THRESHOLD = 1047,
};

inline constexpr int kMainDialogWidth = 487;
inline constexpr int kMainDialogHeight = 267;

std::span<const ControlTemplate> MainDialogTemplate();

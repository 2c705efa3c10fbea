// Dialog 129: the Keyboard Configurator.
//
// The dialog's size, font, controls and their order (which is also the tab
// order and decides the radio groups) are those of the original; it gives
// no coordinates, so every place is chosen here:
//   - left column: the "One Touch Setup" frame with the six layouts, the
//     five instrument buttons in one group and "Custom Config" a little
//     apart in a group of its own; below it "Edit Key Map", level with the
//     Aftertouch Delay row (outside the scanning frame, which frames only
//     the lists and Restore Defaults), and OK / Cancel at the bottom;
//   - right: the "Scannig Parameters" frame, one row per list with the label
//     on the left and the one-line list on the right; the two notes sit on
//     the line under their label; Restore Defaults under the lists.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

constexpr uint32_t kScanList = kStyleNotify | kStyleVScroll;   // one line high, never sorted
constexpr int kRadioX = 13;
constexpr int kRadioW = 82;
constexpr int kLabelX = 110;
constexpr int kLabelW = 108;
constexpr int kListX = 222;
constexpr int kListW = 71;

constexpr ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 7, 127, 44, 14, kStyleGroup},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 55, 127, 44, 14, kStyleNone},
    {IDC_GROUP_ONE_TOUCH, ControlKind::GroupBox, "One Touch Setup", 7, 4, 92, 92, kStyleNone},
    {IDC_PRESET_PIANO, ControlKind::RadioButton, "Piano", kRadioX, 17, kRadioW, 10, kStyleAutoCheck},
    {IDC_PRESET_RHODES_73, ControlKind::RadioButton, "Rhodes 73", kRadioX, 29, kRadioW, 10, kStyleAutoCheck},
    {IDC_PRESET_ORGAN_61, ControlKind::RadioButton, "Organ 61", kRadioX, 41, kRadioW, 10, kStyleAutoCheck},
    {IDC_PRESET_DUAL_MANUAL, ControlKind::RadioButton, "Dual Manual Organ", kRadioX, 53, kRadioW, 10,
     kStyleAutoCheck},
    {IDC_PRESET_WURLITZER_64, ControlKind::RadioButton, "Wurlitzer 64 note", kRadioX, 65, kRadioW, 10,
     kStyleAutoCheck},
    {IDC_PRESET_CUSTOM, ControlKind::RadioButton, "Custom Config", kRadioX, 81, kRadioW, 10,
     kStyleAutoCheck | kStyleGroup},

    {IDC_GROUP_SCANNING, ControlKind::GroupBox, "Scannig Parameters", 104, 4, 195, 137, kStyleGroup},
    {IDC_LABEL_KEY_TRIGGER, ControlKind::Static, "Key Trigger Posistion", kLabelX, 20, kLabelW, 8, kStyleNone},
    {IDC_KEY_TRIGGER_LIST, ControlKind::ListBox, "", kListX, 18, kListW, 12, kScanList},
    {IDC_LABEL_KEY_RETRIGGER, ControlKind::Static, "Key Retrigger Window", kLabelX, 38, kLabelW, 8, kStyleNone},
    {IDC_KEY_RETRIGGER_LIST, ControlKind::ListBox, "", kListX, 36, kListW, 12, kScanList},
    {IDC_LABEL_AFTERTOUCH_RANGE, ControlKind::Static, "Aftertouch Range", kLabelX, 56, kLabelW, 8, kStyleNone},
    {IDC_NOTE_AFTERTOUCH_RANGE, ControlKind::Static, "(max expected overtravel)", kLabelX, 65, kLabelW, 8,
     kStyleNone},
    {IDC_AFTERTOUCH_RANGE_LIST, ControlKind::ListBox, "", kListX, 54, kListW, 12, kScanList},
    {IDC_LABEL_AFTERTOUCH_HOLDOFF, ControlKind::Static, "Aftertouch Holdoff", kLabelX, 80, kLabelW, 8, kStyleNone},
    {IDC_NOTE_AFTERTOUCH_HOLDOFF, ControlKind::Static, "(min travel before transmission)", kLabelX, 89, kLabelW, 8,
     kStyleNone},
    {IDC_AFTERTOUCH_HOLDOFF_LIST, ControlKind::ListBox, "", kListX, 78, kListW, 12, kScanList},
    {IDC_LABEL_AFTERTOUCH_DELAY, ControlKind::Static, "Aftertouch Delay", kLabelX, 104, kLabelW, 8, kStyleNone},
    {IDC_AFTERTOUCH_DELAY_LIST, ControlKind::ListBox, "", kListX, 102, kListW, 12, kScanList},
    {IDC_RESTORE_DEFAULTS, ControlKind::PushButton, "Restore Defaults", kListX, 121, kListW, 14, kStyleNone},

    {IDC_EDIT_KEY_MAP, ControlKind::PushButton, "Edit Key Map", 7, 101, 92, 14, kStyleNone, 0, nullptr,
     "Does nothing: key maps are not edited here"},
};

} // namespace

extern const DialogTemplate kKeyboardConfigTemplate = {
    IDD_KEYBOARD_CONFIG, "Keyboard Configurator", 306, 145, "MS Sans Serif", 10, kControls,
};

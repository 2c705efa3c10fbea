// Dialog 133: the Automatic Stream Controls.
//
// Size, font, the controls and their order are the original's: OK and
// Cancel at the upper right, the eight option buttons in one column (bit 7's
// button, 1056, directly under bit 3's), the delay label with its edit
// below. Coordinates are chosen here, and so is the line under the delay
// row that says why a delay was not taken (empty until then).
//
// The option buttons are non-automatic radio buttons, each a group of its
// own: independent switches whose marks only the program sets.
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

constexpr uint32_t kOption = kStyleGroup;   // not automatic: the program sets the mark
constexpr int kOptionX = 7;
constexpr int kOptionW = 236;
constexpr int kOptionH = 10;

constexpr ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 249, 7, 50, 14, kStyleGroup},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 249, 24, 50, 14, kStyleNone},
    {IDC_AOT_DETECT_TAB, ControlKind::RadioButton, "Detect MIDI Tab at Boot from MIDI note on commands", kOptionX, 7,
     kOptionW, kOptionH, kOption},
    {IDC_AOT_SECOND_GUESS_ALWAYS, ControlKind::RadioButton,
     "Enable Second Guess Always (ignore pistins) (midi stream)", kOptionX, 21, kOptionW, kOptionH, kOption},
    {IDC_AOT_BACKGROUND_GUESS, ControlKind::RadioButton, "Enable Background Second Guess (normaly waits for pistons)",
     kOptionX, 35, kOptionW, kOptionH, kOption},
    {IDC_AOT_TAB_MUTE, ControlKind::RadioButton, "Enable Hadrware Tab MIDI Mute Controls", kOptionX, 49, kOptionW,
     kOptionH, kOption},
    {IDC_AOT_INVERT_TAB_MUTE, ControlKind::RadioButton, "Invert Hadrware Tab MIDI Mute Polarity", kOptionX, 63,
     kOptionW, kOptionH, kOption},
    {IDC_AOT_NOTE_ONS_GUESS, ControlKind::RadioButton, "Note Ons With Second Guess", kOptionX, 77, kOptionW, kOptionH,
     kOption},
    {IDC_AOT_NOTE_ONS_UNMUTE, ControlKind::RadioButton, "Note Ons with Control Change Unmute", kOptionX, 91, kOptionW,
     kOptionH, kOption},
    {IDC_AOT_CC_MUTE, ControlKind::RadioButton, "Enable Midi Control Change Mute", kOptionX, 105, kOptionW, kOptionH,
     kOption},
    {IDC_LABEL_AOT_DELAY, ControlKind::Static, "Piston Pending and Transpose Delay", kOptionX, 124, 122, 8,
     kStyleGroup},
    {IDC_AOT_DELAY, ControlKind::Edit, "", 133, 122, 40, 12, kStyleNone},
    {IDC_AOT_DELAY_PROBLEM, ControlKind::Static, "", kOptionX, 140, 292, 8, kStyleNone, 0, "Delay not sent"},
};

} // namespace

extern const DialogTemplate kAotSetupTemplate = {
    IDD_AOT_SETUP, "Allen Organ Automatic Stream Controls", 306, 157, "MS Sans Serif", 10, kControls,
};

// Dialog 102: the main window, zm_config.
//
// Positions are those of the original dialog. Where it gives no position,
// the choice made here is marked "placed here":
//   - row labels of the zone editor: x 4, 104 wide, 2 units below the top of
//     their row so that the text lines up with the controls' text;
//   - the Transpose and Debug button pairs: 21 units each with a 1-unit gap,
//     12 high, starting at their zone column; the pair reaches 3 units past
//     the column's 40 so that "Down" and "map1" fit, and still ends well
//     before the next column;
//   - the radio buttons "Keys", "Xopto", "Misc": 36 x 10, which keeps them
//     clear of the message window at x 300;
//   - label widths: as long as the text needs, without reaching the next
//     control to the right;
//   - accessible names for the controls that no label names: the
//     identification box, the readouts and the parameter list; and for the
//     readouts, what each one shows (their tooltips).
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace {

constexpr uint32_t kPortList = kStyleNotify | kStyleSort | kStyleVScroll;
constexpr uint32_t kZoneList = kStyleNotify | kStyleSort | kStyleVScroll;
constexpr uint32_t kReadOnly = kStyleReadOnly;

// Left edges of the four zone columns, and of the narrow velocity lists.
constexpr int kColumn[4] = {111, 158, 208, 254};
constexpr int kVelocityColumn[4] = {127, 174, 224, 270};
constexpr int kPairGap = 22;   // second button of a pair, placed here
constexpr int kPairWidth = 21;
constexpr int kPairHeight = 12;

#define ZONE_ROW(ids, kind, caption, x, y, w, h, style)                                                   \
    {ids[0], kind, caption, x[0], y, w, h, style}, {ids[1], kind, caption, x[1], y, w, h, style},         \
        {ids[2], kind, caption, x[2], y, w, h, style}, {ids[3], kind, caption, x[3], y, w, h, style}

#define ZONE_PAIR(idsA, captionA, idsB, captionB, y)                                                       \
    {idsA[0], ControlKind::PushButton, captionA[0], kColumn[0], y, kPairWidth, kPairHeight, kStyleNone},  \
        {idsB[0], ControlKind::PushButton, captionB[0], kColumn[0] + kPairGap, y, kPairWidth, kPairHeight, \
         kStyleNone},                                                                                      \
        {idsA[1], ControlKind::PushButton, captionA[1], kColumn[1], y, kPairWidth, kPairHeight, kStyleNone}, \
        {idsB[1], ControlKind::PushButton, captionB[1], kColumn[1] + kPairGap, y, kPairWidth, kPairHeight, \
         kStyleNone},                                                                                      \
        {idsA[2], ControlKind::PushButton, captionA[2], kColumn[2], y, kPairWidth, kPairHeight, kStyleNone}, \
        {idsB[2], ControlKind::PushButton, captionB[2], kColumn[2] + kPairGap, y, kPairWidth, kPairHeight, \
         kStyleNone},                                                                                      \
        {idsA[3], ControlKind::PushButton, captionA[3], kColumn[3], y, kPairWidth, kPairHeight, kStyleNone}, \
        {idsB[3], ControlKind::PushButton, captionB[3], kColumn[3] + kPairGap, y, kPairWidth, kPairHeight, \
         kStyleNone}

constexpr const char* kUp[4] = {"Up", "Up", "Up", "Up"};
constexpr const char* kDown[4] = {"Down", "Down", "Down", "Down"};
constexpr const char* kPlus12[4] = {"+12", "+12", "+12", "+12"};
constexpr const char* kMinus12[4] = {"-12", "-12", "-12", "-12"};
constexpr const char* kDebugA[4] = {"Ens", "Up", "Up", "Up"};
constexpr const char* kDebugB[4] = {"map1", "map2", "map3", "map4"};

constexpr int kZoneHeaderX[4] = {119, 166, 216, 262};
constexpr const char* kUnusedReadout = "Not used: the box reports nothing here";
constexpr int kAfterTouchX[4] = {112, 158, 208, 254};

constexpr ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 618, 1, 50, 14, kStyleNone},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 618, 23, 50, 14, kStyleNone},

    // Ports
    {IDC_LABEL_MIDI_IN, ControlKind::Static, "Midi Input Port (click to activate)", 4, 1, 150, 8, kStyleNone},
    {IDC_MIDI_IN_LIST, ControlKind::ListBox, "", 4, 14, 118, 36, kPortList},
    {IDC_LABEL_MIDI_OUT, ControlKind::Static, "Midi Out Port (click to activate)", 157, 1, 132, 8, kStyleNone},
    {IDC_MIDI_OUT_LIST, ControlKind::ListBox, "", 156, 14, 118, 36, kPortList},
    {IDC_LABEL_MIDI_THRU, ControlKind::Static, "Midi Thru/Out Port (click to activate)", 291, 1, 125, 8,
     kStyleNone},
    {IDC_MIDI_THRU_LIST, ControlKind::ListBox, "", 290, 14, 118, 36, kPortList},

    // Commands and the message window
    {IDC_SYNCHRONIZE, ControlKind::PushButton, "Synchronize Data", 417, 9, 67, 39, kStyleNone},
    {IDC_KEYBOARD_CONFIG, ControlKind::PushButton, "Keyboard Config", 496, 9, 61, 39, kStyleNone},
    {IDC_AOT_SETUP, ControlKind::PushButton, "AOT setup", 564, 8, 50, 39, kStyleNone},
    {IDC_IDENTIFICATION, ControlKind::Edit, "", 4, 51, 230, 12, kReadOnly, 0, "Identification"},
    {IDC_COPY_MESSAGES, ControlKind::PushButton, "Copy Message Window", 570, 52, 80, 14, kStyleNone},
    {IDC_REVISION_REQUEST, ControlKind::PushButton, "Revision Request", 318, 55, 92, 18, kStyleNone},
    {IDC_NUMBER_KEYS, ControlKind::Edit, "", 440, 68, 40, 12, kReadOnly, 0, "Number of Keys",
     "Number of keys, parameter 12"},
    {IDC_LOW_NOTE_KEY2, ControlKind::Edit, "", 485, 68, 40, 12, kReadOnly, 0, "Low Note Key 2",
     "Adjust down or low note key 2, parameter 13 or 14, whichever the box reported last"},
    {IDC_READOUT_3, ControlKind::Edit, "", 532, 68, 40, 12, kReadOnly, 0, "Readout 3", kUnusedReadout},
    {IDC_READOUT_4, ControlKind::Edit, "", 582, 68, 40, 12, kReadOnly, 0, "Readout 4", kUnusedReadout},
    {IDC_READOUT_5, ControlKind::Edit, "", 628, 68, 40, 12, kReadOnly, 0, "Readout 5", kUnusedReadout},
    {IDC_CLEAR_MESSAGES, ControlKind::PushButton, "Clear Message Window", 318, 75, 92, 18, kStyleNone},
    {IDC_LABEL_MESSAGE_WINDOW, ControlKind::Static, "Midi Message Window", 429, 89, 100, 8, kStyleNone},
    {IDC_MESSAGE_WINDOW, ControlKind::ListBox, "", 300, 97, 368, 201, kStyleSort | kStyleVScroll | kStyleHScroll},

    // Zone editor: column headers, then one row after the other
    {kZoneHeader[0], ControlKind::Static, "Zone 1", kZoneHeaderX[0], 65, 30, 8, kStyleNone},
    {kZoneHeader[1], ControlKind::Static, "Zone 2", kZoneHeaderX[1], 65, 30, 8, kStyleNone},
    {kZoneHeader[2], ControlKind::Static, "Zone 3", kZoneHeaderX[2], 65, 30, 8, kStyleNone},
    {kZoneHeader[3], ControlKind::Static, "Zone 4", kZoneHeaderX[3], 65, 30, 8, kStyleNone},

    {IDC_LABEL_KEY_RANGE, ControlKind::Static, "Key Range (sensor#'s)", 4, 77, 104, 8, kStyleNone},
    ZONE_ROW(kZoneKeyRange, ControlKind::Edit, "", kColumn, 75, 40, 12, kReadOnly),

    {IDC_LABEL_LOWEST_NOTE, ControlKind::Static, "Lowest Note Number", 4, 92, 104, 8, kStyleNone},
    ZONE_ROW(kZoneLowestNote, ControlKind::Edit, "", kColumn, 90, 40, 12, kReadOnly),

    {IDC_LABEL_OUTPUT_CHANNEL, ControlKind::Static, "Midi Output Channel", 4, 107, 104, 8, kStyleNone},
    ZONE_ROW(kZoneChannelList, ControlKind::ListBox, "", kColumn, 105, 40, 11, kZoneList),

    {IDC_LABEL_ATTACK_VELOCITY, ControlKind::Static, "Attack Velocity", 4, 123, 104, 8, kStyleNone},
    {kZoneAttackOff[0], ControlKind::PushButton, "Off", kColumn[0], 122, 15, 11, kStyleNone},
    {kZoneAttackOff[1], ControlKind::PushButton, "Off", kColumn[1], 121, 15, 11, kStyleNone},
    {kZoneAttackOff[2], ControlKind::PushButton, "Off", kColumn[2], 121, 15, 11, kStyleNone},
    {kZoneAttackOff[3], ControlKind::PushButton, "Off", kColumn[3], 122, 15, 11, kStyleNone},
    ZONE_ROW(kZoneAttackList, ControlKind::ListBox, "", kVelocityColumn, 121, 24, 11, kZoneList),

    {IDC_LABEL_CURVE_TYPE, ControlKind::Static, "Attack Velocity Curve Type", 4, 138, 104, 8, kStyleNone},
    ZONE_ROW(kZoneCurveList, ControlKind::ListBox, "", kColumn, 136, 40, 11, kZoneList),

    {IDC_LABEL_RELEASE_VELOCITY, ControlKind::Static, "Relase Velocity", 4, 152, 104, 8, kStyleNone},
    {kZoneReleaseOff[0], ControlKind::PushButton, "Off", kColumn[0], 150, 15, 11, kStyleNone},
    {kZoneReleaseOff[1], ControlKind::PushButton, "Off", kColumn[1], 150, 15, 11, kStyleNone},
    {kZoneReleaseOff[2], ControlKind::PushButton, "Off", kColumn[2], 150, 15, 11, kStyleNone},
    {kZoneReleaseOff[3], ControlKind::PushButton, "Off", kColumn[3], 149, 15, 11, kStyleNone},
    ZONE_ROW(kZoneReleaseList, ControlKind::ListBox, "", kVelocityColumn, 150, 24, 11, kZoneList),

    {IDC_LABEL_AFTER_TOUCH, ControlKind::Static, "After Touch Type", 4, 167, 104, 8, kStyleNone},
    ZONE_ROW(kZoneAftertouchList, ControlKind::ListBox, "", kAfterTouchX, 165, 40, 11, kZoneList),

    ZONE_ROW(kZoneMute, ControlKind::PushLikeCheck, "Mute", kColumn, 179, 40, 12, kStyleNone),
    ZONE_ROW(kZoneSetZone, ControlKind::PushLikeCheck, "Set Zone", kColumn, 195, 40, 12, kStyleNone),

    {IDC_LABEL_TRANSPOSE, ControlKind::Static, "Transpose", 4, 211, 104, 8, kStyleNone},
    ZONE_PAIR(kZoneUp, kUp, kZoneDown, kDown, 209),
    {IDC_LABEL_TRANSPOSE_OCTAVE, ControlKind::Static, "Transpose", 4, 228, 104, 8, kStyleNone},
    ZONE_PAIR(kZonePlus12, kPlus12, kZoneMinus12, kMinus12, 226),
    {IDC_LABEL_DEBUG, ControlKind::Static, "Debug stuff", 4, 243, 104, 8, kStyleNone},
    ZONE_PAIR(kZoneDebugA, kDebugA, kZoneDebugB, kDebugB, 241),

    // Parameter table, dumps and report switches
    {IDC_INQUIRE_XTABLE, ControlKind::PushButton, "Inquire Xtable", 4, 261, 78, 10, kStyleNone},
    {IDC_PARAMETER_LIST, ControlKind::ListBox, "", 94, 261, 93, 12, kStyleNotify | kStyleVScroll, 0,
     "Xtable Parameter"},
    {IDC_XTABLE_DATA, ControlKind::Edit, "", 94, 271, 40, 12, kStyleNone},
    {IDC_LABEL_XTABLE_DATA, ControlKind::Static, "Xtable Data", 143, 274, 48, 8, kStyleNone},
    {IDC_SEND_XTABLE, ControlKind::PushButton, "Send Xtable Data", 4, 273, 78, 10, kStyleNone},
    {IDC_EEPROM_DUMP, ControlKind::PushButton, "EEPROM DUMP", 4, 288, 78, 10, kStyleNone},
    {IDC_SCAN_DUMP, ControlKind::PushButton, "Scan Dump", 89, 288, 78, 10, kStyleNone},
    {IDC_SMART_DUMP, ControlKind::PushButton, "Smart eeprom Dump", 173, 288, 80, 10, kStyleNone},
    {IDC_SCANNER_122, ControlKind::CheckBox, "122 Scanner", 193, 276, 57, 10, kStyleNone},
    {IDC_SHOW_KEYS, ControlKind::RadioButton, "Keys", 258, 267, 36, 10, kStyleNone},
    {IDC_SHOW_XOPTO, ControlKind::RadioButton, "Xopto", 257, 278, 36, 10, kStyleNone},
    {IDC_SHOW_MISC, ControlKind::RadioButton, "Misc", 257, 288, 36, 10, kStyleNone},
};

#undef ZONE_ROW
#undef ZONE_PAIR

} // namespace

extern const DialogTemplate kMainDialogTemplate = {
    IDD_ZM_CONFIG_DIALOG, "zm_config", 676, 305, "MS Sans Serif", 8, kControls,
};

// Control and resource identifiers of zm_config's dialogs, named once.
//
// Every widget that a dialog builder creates carries its numeric identifier
// as objectName ("1005"), so code and tests find controls by these values.
#pragma once

#include <array>

// Resources
enum ResourceId : int {
    IDD_ABOUTBOX = 100,
    IDS_OLE_INIT_FAILED = 100,
    IDS_ABOUTBOX = 101,
    IDD_ZM_CONFIG_DIALOG = 102,
    IDR_MAINFRAME = 128,          // program icon
    IDD_KEYBOARD_CONFIG = 129,
    IDD_AOT_SETUP = 133,
    IDB_ABOUT_BITMAP = 142,
    IDM_ABOUTBOX = 16,            // system command of the About entry
};

// Common to every dialog
enum CommonControlId : int {
    IDC_STATIC = -1,
    IDOK = 1,
    IDCANCEL = 2,
};

// Main dialog, template 102
enum MainControlId : int {
    IDC_MIDI_IN_LIST = 1003,
    IDC_MIDI_OUT_LIST = 1004,
    IDC_MESSAGE_WINDOW = 1005,
    IDC_EEPROM_DUMP = 1006,
    IDC_MIDI_THRU_LIST = 1007,
    IDC_SMART_DUMP = 1008,
    IDC_XTABLE_DATA = 1009,
    IDC_SYNCHRONIZE = 1010,
    IDC_SEND_XTABLE = 1012,
    IDC_CLEAR_MESSAGES = 1016,
    IDC_COPY_MESSAGES = 1017,
    IDC_SCAN_DUMP = 1018,
    IDC_NUMBER_KEYS = 1021,       // readout of ZmFunc_NumberKeys
    IDC_LOW_NOTE_KEY2 = 1022,     // readout of ZmFunc_AdjustDown / ZmFunc_LowNteKey2
    IDC_AOT_SETUP = 1023,
    IDC_REVISION_REQUEST = 1024,
    IDC_IDENTIFICATION = 1025,
    IDC_KEYBOARD_CONFIG = 1026,
    IDC_SHOW_KEYS = 1027,
    IDC_SHOW_XOPTO = 1028,
    IDC_SHOW_MISC = 1029,
    IDC_SCANNER_122 = 1035,
    IDC_INQUIRE_XTABLE = 1036,
    IDC_PARAMETER_LIST = 1037,
    IDC_READOUT_3 = 1040,         // read-only, nothing writes it
    IDC_READOUT_4 = 1057,
    IDC_READOUT_5 = 1069,
};

// Zone editor columns of the main dialog, zone 1 to zone 4 in order.
using ZoneIds = std::array<int, 4>;
inline constexpr ZoneIds kZoneKeyRange = {1020, 1039, 1056, 1068};
inline constexpr ZoneIds kZoneLowestNote = {1019, 1038, 1055, 1067};
inline constexpr ZoneIds kZoneChannelList = {1075, 1082, 1083, 1084};
inline constexpr ZoneIds kZoneAttackOff = {1031, 1049, 1061, 1073};
inline constexpr ZoneIds kZoneAttackList = {1043, 1048, 1060, 1072};
inline constexpr ZoneIds kZoneCurveList = {1058, 1079, 1080, 1081};
inline constexpr ZoneIds kZoneReleaseOff = {1032, 1051, 1063, 1070};
inline constexpr ZoneIds kZoneReleaseList = {1044, 1050, 1062, 1074};
inline constexpr ZoneIds kZoneAftertouchList = {1085, 1086, 1087, 1088};
inline constexpr ZoneIds kZoneMute = {1045, 1105, 1106, 1107};
inline constexpr ZoneIds kZoneSetZone = {1046, 1053, 1065, 1077};
inline constexpr ZoneIds kZoneUp = {1030, 1047, 1059, 1071};
inline constexpr ZoneIds kZoneDown = {1034, 1054, 1066, 1078};
inline constexpr ZoneIds kZonePlus12 = {1033, 1089, 1091, 1093};
inline constexpr ZoneIds kZoneMinus12 = {1041, 1090, 1092, 1094};
inline constexpr ZoneIds kZoneDebugA = {1095, 1097, 1099, 1101};  // "Ens", "Up", "Up", "Up"
inline constexpr ZoneIds kZoneDebugB = {1096, 1098, 1100, 1102};  // "map1" … "map4"

// Static labels. The templates were laid out with anonymous labels; each gets
// an identifier of its own here so that code and tests can find it.
enum LabelId : int {
    IDC_ABOUT_BITMAP = 1200,      // template 100: bitmap 142
    IDC_ABOUT_VERSION = 1201,     // template 100: "zm_config Version 1.0"
    IDC_LABEL_MIDI_IN = 1210,
    IDC_LABEL_MIDI_OUT = 1211,
    IDC_LABEL_MIDI_THRU = 1212,
    IDC_LABEL_MESSAGE_WINDOW = 1213,
    IDC_LABEL_XTABLE_DATA = 1214,
    IDC_LABEL_KEY_RANGE = 1220,   // row labels of the zone editor, top to bottom
    IDC_LABEL_LOWEST_NOTE = 1221,
    IDC_LABEL_OUTPUT_CHANNEL = 1222,
    IDC_LABEL_ATTACK_VELOCITY = 1223,
    IDC_LABEL_CURVE_TYPE = 1224,
    IDC_LABEL_RELEASE_VELOCITY = 1225,
    IDC_LABEL_AFTER_TOUCH = 1226,
    IDC_LABEL_TRANSPOSE = 1227,
    IDC_LABEL_TRANSPOSE_OCTAVE = 1228,
    IDC_LABEL_DEBUG = 1229,
};
inline constexpr ZoneIds kZoneHeader = {1230, 1231, 1232, 1233};  // "Zone 1" … "Zone 4"

// Keyboard Configurator, template 129. Its numbers overlap the main
// dialog's; ids are unique per dialog only.
enum KeyboardConfigControlId : int {
    IDC_PRESET_PIANO = 1025,
    IDC_PRESET_RHODES_73 = 1026,
    IDC_PRESET_ORGAN_61 = 1027,
    IDC_PRESET_DUAL_MANUAL = 1028,
    IDC_PRESET_WURLITZER_64 = 1029,
    IDC_AFTERTOUCH_DELAY_LIST = 1030,   // parameter 27
    IDC_KEY_TRIGGER_LIST = 1031,        // parameter 21
    IDC_KEY_RETRIGGER_LIST = 1032,      // parameter 23
    IDC_RESTORE_DEFAULTS = 1034,
    IDC_EDIT_KEY_MAP = 1035,
    IDC_PRESET_CUSTOM = 1036,
    IDC_AFTERTOUCH_RANGE_LIST = 1037,   // parameter 25
    IDC_AFTERTOUCH_HOLDOFF_LIST = 1038, // parameter 26
    IDC_GROUP_ONE_TOUCH = 1240,         // group boxes and labels
    IDC_GROUP_SCANNING = 1241,
    IDC_LABEL_KEY_TRIGGER = 1242,
    IDC_LABEL_KEY_RETRIGGER = 1243,
    IDC_LABEL_AFTERTOUCH_RANGE = 1244,
    IDC_NOTE_AFTERTOUCH_RANGE = 1245,
    IDC_LABEL_AFTERTOUCH_HOLDOFF = 1246,
    IDC_NOTE_AFTERTOUCH_HOLDOFF = 1247,
    IDC_LABEL_AFTERTOUCH_DELAY = 1248,
};

// Automatic Stream Controls, template 133: the option buttons carry the
// bit they stand for (see editors/AotOptions.h).
enum AotSetupControlId : int {
    IDC_AOT_DETECT_TAB = 1048,          // bit 0
    IDC_AOT_SECOND_GUESS_ALWAYS = 1049, // bit 1
    IDC_AOT_BACKGROUND_GUESS = 1050,    // bit 2
    IDC_AOT_TAB_MUTE = 1051,            // bit 3
    IDC_AOT_NOTE_ONS_GUESS = 1052,      // bit 4
    IDC_AOT_NOTE_ONS_UNMUTE = 1053,     // bit 5
    IDC_AOT_CC_MUTE = 1054,             // bit 6
    IDC_AOT_DELAY = 1055,               // edit: parameter 31
    IDC_AOT_INVERT_TAB_MUTE = 1056,     // bit 7
    IDC_LABEL_AOT_DELAY = 1260,
    IDC_AOT_DELAY_PROBLEM = 1261,       // why the delay was not taken
};

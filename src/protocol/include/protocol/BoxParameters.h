// The box's parameter table (its Xtable): the 32 numbered parameters and
// everything the program knows about each, one row per parameter. The
// decoder (where a report is kept), the editors (which readout shows it,
// which Keyboard Configurator list edits it, what the list and Synchronize
// Data show), zmctl and its backups (names, whether a restore writes it) and
// the simulated box (range, read-only or action, its EEPROM byte) all read
// this table; a parameter is added or changed here and nowhere else.
//
// Values travel as 14-bit numbers (0-16383). Where a row gives a narrower
// range, that is what a box takes; the program itself sends whatever the
// user asks for and lets the box refuse.
#pragma once

#include "protocol/EepromLayout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

//! Parameter numbers, for the code that addresses one parameter by name.
enum ParameterNumber : int32_t {
    ZmFunc_StationName = 0,
    ZmFunc_SoftwareRev = 1,
    ZmFunc_ClearEEprom = 2,
    ZmFunc_RestrEEprom = 3,
    ZmFunc_EepromFreeB = 4,
    ZmFunc_Reserved_5 = 5,
    ZmFunc_ZoneMutBits = 6,
    ZmFunc_DumpEEprom = 7,
    ZmFunc_Reserved_8 = 8,
    ZmFunc_NumberKeys = 12,
    ZmFunc_AdjustDown = 13,
    ZmFunc_LowNteKey2 = 14,
    ZmFunc_AotBooleans = 30,
    ZmFunc_Aot_t_delay = 31,
};
inline constexpr int32_t kParameterCount = 32;

//! What a write of the parameter does.
enum class ParameterKind : uint8_t {
    Setting,   //!< the box keeps what is written; a restore writes it back
    ReadOnly,  //!< the box only reports it and refuses a write
    Action,    //!< a non-zero write makes the box act; it reads back 0
};

//! Where the mirrored state (HeldValues) keeps a reported value.
enum class HeldIn : uint8_t {
    Xtable,       //!< XtableValues[number]
    MuteBits,     //!< MuteBits
    AotBooleans,  //!< HeldAotBooleans, low 8 bits
    AotDelay,     //!< HeldAotDelay, low 8 bits
    Nowhere,      //!< the report is logged and not kept
};

//! The read-only edit of the main window that shows a reported value.
enum class Readout : uint8_t {
    None,
    NumberKeys,   //!< the number of keys (edit 1021)
    LowNoteKey2,  //!< the last of parameters 13 and 14 reported (edit 1022)
};

//! The Keyboard Configurator's scanning-parameter list that edits it.
enum class ScanList : uint8_t {
    None,
    KeyTrigger,
    KeyRetrigger,
    AftertouchRange,
    AftertouchHoldoff,
    AftertouchDelay,
};

//! Requests that ask the box for a parameter (bits of BoxParameter::askedBy).
enum ParameterAsker : uint8_t {
    kAskedBySynchronize = 1,     //!< "Synchronize Data"
    kAskedByKeyboardConfig = 2,  //!< "Keyboard Config", before its window opens
};

struct BoxParameter {
    int32_t number = 0;
    std::string_view name;
    int32_t lowest = 0;
    int32_t highest = 16383;
    ParameterKind kind = ParameterKind::Setting;
    HeldIn held = HeldIn::Xtable;
    Readout readout = Readout::None;
    uint8_t askedBy = 0;
    ScanList scanList = ScanList::None;
    //! The byte of the EEPROM's misc block that holds it, for those the box
    //! keeps there.
    std::optional<EepromLayout::MiscItem> eeprom = std::nullopt;

    //! A restore writes the settings back, never a read-only value or an action.
    constexpr bool Restored() const { return kind == ParameterKind::Setting; }
};

// Parameters 5 and 8 have no meaning the program knows of; the simulated
// box uses them to simulate a fault (0-255) and to play keys (0 or 1).
inline constexpr std::array<BoxParameter, kParameterCount> kBoxParameters = {{
    {.number = 0, .name = "ZmFunc_StationName", .askedBy = kAskedBySynchronize},
    {.number = 1, .name = "ZmFunc_SoftwareRev", .kind = ParameterKind::ReadOnly},
    {.number = 2, .name = "ZmFunc_ClearEEprom", .kind = ParameterKind::Action},
    {.number = 3, .name = "ZmFunc_RestrEEprom", .kind = ParameterKind::Action},
    {.number = 4, .name = "ZmFunc_EepromFreeB", .kind = ParameterKind::ReadOnly},
    {.number = 5, .name = "ZmFunc_Reserved_5", .highest = 255},
    {.number = 6, .name = "ZmFunc_ZoneMutBits", .highest = 15, .held = HeldIn::MuteBits,
     .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig},
    {.number = 7, .name = "ZmFunc_DumpEEprom", .kind = ParameterKind::Action},
    {.number = 8, .name = "ZmFunc_Reserved_8", .highest = 1},
    {.number = 9, .name = "ZmFunc_ScanRawNte"},
    {.number = 10, .name = "ZmFunc_ScanRawDis"},
    {.number = 11, .name = "ZmFunc_ScanLowNte"},
    {.number = 12, .name = "ZmFunc_NumberKeys", .lowest = 1, .highest = 122, .readout = Readout::NumberKeys,
     .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig},
    {.number = 13, .name = "ZmFunc_AdjustDown", .readout = Readout::LowNoteKey2},
    {.number = 14, .name = "ZmFunc_LowNteKey2", .highest = 255, .readout = Readout::LowNoteKey2,
     .eeprom = EepromLayout::kLowestNoteKeyboard2},
    {.number = 15, .name = "ZmFunc_KeyBreakPt", .highest = 255, .eeprom = EepromLayout::kStripBreak},
    {.number = 16, .name = "ZmFunc_ADCCnvTime", .highest = 255, .eeprom = EepromLayout::kConvParam},
    {.number = 17, .name = "ZmFunc_AtkVelSens", .highest = 255, .eeprom = EepromLayout::kVelocitySensitivity},
    {.number = 18, .name = "ZmFunc_ADCsafety", .highest = 255, .eeprom = EepromLayout::kNoiseSafetyFactor},
    {.number = 19, .name = "ZmFunc_RelVelSens", .highest = 255, .eeprom = EepromLayout::kReleaseSensitivity},
    {.number = 20, .name = "ZmFunc_PdlCtrkNm"},
    {.number = 21, .name = "ZmFunc_KeyTrigPos", .highest = 255,
     .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig, .scanList = ScanList::KeyTrigger,
     .eeprom = EepromLayout::kTriggerOffset},
    {.number = 22, .name = "ZmFunc_PedTrigPos"},
    {.number = 23, .name = "ZmFunc_KeyRetrigW", .highest = 255,
     .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig, .scanList = ScanList::KeyRetrigger,
     .eeprom = EepromLayout::kRetriggerOffset},
    {.number = 24, .name = "ZmFunc_PedRetrigW"},
    {.number = 25, .name = "ZmFunc_AftrTchRng", .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig,
     .scanList = ScanList::AftertouchRange},
    {.number = 26, .name = "ZmFunc_AftrTchHld", .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig,
     .scanList = ScanList::AftertouchHoldoff},
    {.number = 27, .name = "ZmFunc_AftrTchDel", .askedBy = kAskedBySynchronize | kAskedByKeyboardConfig,
     .scanList = ScanList::AftertouchDelay},
    {.number = 28, .name = "ZmFunc_PedCtlChng"},
    {.number = 29, .name = "ZmFunc_OrganMapMde", .held = HeldIn::Nowhere, .askedBy = kAskedBySynchronize},
    {.number = 30, .name = "ZmFunc_AotBooleans", .highest = 255, .held = HeldIn::AotBooleans,
     .askedBy = kAskedBySynchronize},
    {.number = 31, .name = "ZmFunc_Aot_t_delay", .highest = 255, .held = HeldIn::AotDelay,
     .askedBy = kAskedBySynchronize},
}};

namespace BoxParameterDetail {

constexpr bool RowsInNumberOrder()
{
    for (int32_t n = 0; n < kParameterCount; ++n)
        if (kBoxParameters[static_cast<size_t>(n)].number != n)
            return false;
    return true;
}
static_assert(RowsInNumberOrder(), "row n of the parameter table is parameter n");

template <uint8_t Asker>
constexpr size_t AskedCount()
{
    size_t count = 0;
    for (const BoxParameter& p : kBoxParameters)
        count += (p.askedBy & Asker) != 0;
    return count;
}

template <uint8_t Asker>
constexpr std::array<int32_t, AskedCount<Asker>()> Asked()
{
    std::array<int32_t, AskedCount<Asker>()> numbers{};
    size_t i = 0;
    for (const BoxParameter& p : kBoxParameters)
        if (p.askedBy & Asker)
            numbers[i++] = p.number;
    return numbers;
}

} // namespace BoxParameterDetail

//! The row of parameter `number`; nothing beyond the box's 32.
constexpr const BoxParameter* FindBoxParameter(int32_t number)
{
    return number >= 0 && number < kParameterCount ? &kBoxParameters[static_cast<size_t>(number)] : nullptr;
}

//! The parameter that Keyboard Configurator list `list` edits.
constexpr int32_t ScanListParameter(ScanList list)
{
    for (const BoxParameter& p : kBoxParameters)
        if (p.scanList == list)
            return p.number;
    return -1;
}

//! The parameters that Synchronize Data asks for, in the order asked.
inline constexpr auto kSynchronizedParameters = BoxParameterDetail::Asked<kAskedBySynchronize>();
//! The parameters a click on "Keyboard Config" asks for, in the order asked.
inline constexpr auto kKeyboardConfigInquiries = BoxParameterDetail::Asked<kAskedByKeyboardConfig>();

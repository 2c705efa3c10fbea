#include "editors/ZoneEditor.h"

#include "editors/MainDialogTexts.h"
#include "protocol/BoxParameters.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"
#include "protocol/TextBuffer.h"
#include "res/resource.h"

#include <algorithm>

namespace {

constexpr ZoneIds kVelocityLists[2] = {kZoneAttackList, kZoneReleaseList};

//! A zone list and the record field its line index stands for.
struct ZoneList {
    const ZoneIds& ids;
    int offset;     //!< record offset on the wire
    int lineCount;
};

const ZoneList kZoneLists[] = {
    {kZoneChannelList, 3, kChannelLineCount},
    {kZoneAttackList, 4, kVelocityLineCount},
    {kZoneReleaseList, 5, kVelocityLineCount},
    {kZoneCurveList, 6, static_cast<int>(kCurveTypeNames.size())},
    {kZoneAftertouchList, 7, static_cast<int>(kAfterTouchNames.size())},
};

constexpr int kLoNoteOffset = 2;
constexpr int kHighestNote = 127;

//! The zone (0-3) whose column holds control `id` in row `ids`, or -1.
int ZoneOf(const ZoneIds& ids, int id)
{
    const auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
}

} // namespace

CZoneEditor::CZoneEditor(IDialogControls& controls, HeldValues& held, ISysExSender& sender)
    : m_controls(controls), m_held(held), m_sender(sender)
{
}

void CZoneEditor::FillLists()
{
    // The number lists are sorted lists that receive number texts, value by
    // value and list by list; the leading blanks make the sorted order the
    // numeric order. "off" and "14 Normal" then take their lines' places.
    for (int channel = 0; channel < kChannelLineCount; ++channel)
        for (int id : kZoneChannelList)
            m_controls.AddListLine(id, ChannelListText(channel));
    for (int type = 0; type < static_cast<int>(kAfterTouchNames.size()); ++type)
        for (int id : kZoneAftertouchList)
            m_controls.InsertListLine(id, type, kAfterTouchNames[static_cast<size_t>(type)]);
    for (int type = 0; type < static_cast<int>(kCurveTypeNames.size()); ++type)
        for (int id : kZoneCurveList)
            m_controls.InsertListLine(id, type, kCurveTypeNames[static_cast<size_t>(type)]);
    for (int value = 0; value < kVelocityLineCount; ++value)
        for (const ZoneIds& lists : kVelocityLists)
            for (int id : lists)
                m_controls.AddListLine(id, VelocityNumberText(value));
    for (int id : kZoneAttackList) {
        m_controls.ReplaceListLine(id, kAttackNormalLine, kAttackNormalText);
        m_controls.ReplaceListLine(id, 0, kVelocityOffText);
    }
    for (int id : kZoneReleaseList)
        m_controls.ReplaceListLine(id, 0, kVelocityOffText);
}

void CZoneEditor::ShowZoneEdits(int zone)
{
    const size_t z = static_cast<size_t>(zone);
    const ZoneRecord& record = m_held.Zones[z];
    CLineBuffer text;
    text.Dec(record.lo_key, 3).Text(zone == 0 ? "  " : "    ").Dec(record.hi_key, 3);
    m_controls.SetControlText(kZoneKeyRange[z], text.View());
    text.Clear();
    text.Dec(record.lo_note, 3);
    m_controls.SetControlText(kZoneLowestNote[z], text.View());
}

void CZoneEditor::ShowZone(int zone)
{
    ShowZoneEdits(zone);
    // Selections made here are not user selections: the lists' handlers do
    // not run, so nothing goes back to the box.
    const size_t z = static_cast<size_t>(zone);
    const ZoneRecord& record = m_held.Zones[z];
    m_controls.SelectListLine(kZoneChannelList[z], record.midi_chan);
    m_controls.SelectListLine(kZoneAttackList[z], record.atk_vel);
    m_controls.SelectListLine(kZoneReleaseList[z], record.rel_vel);
    m_controls.SelectListLine(kZoneCurveList[z], record.atk_type);
    m_controls.SelectListLine(kZoneAftertouchList[z], record.aftrtch_type);
}

void CZoneEditor::ShowSplitDone(int zone)
{
    ShowZoneEdits(zone);
    m_controls.SetCheck(kZoneSetZone[static_cast<size_t>(zone)], false);
}

void CZoneEditor::ShowMuteBits(int32_t bits)
{
    for (size_t zone = 0; zone < kZoneMute.size(); ++zone)
        m_controls.SetCheck(kZoneMute[zone], (bits & (1 << zone)) == 0);
}

// --- the user's actions -------------------------------------------------------

bool CZoneEditor::OnListSelChange(int id, int index)
{
    for (const ZoneList& list : kZoneLists) {
        const int zone = ZoneOf(list.ids, id);
        if (zone < 0)
            continue;
        // Only a line of the list stands for a value the box takes.
        if (index >= 0 && index < list.lineCount)
            WriteField(zone, list.offset, index);
        return true;
    }
    return false;
}

bool CZoneEditor::OnCommand(int id)
{
    int zone = -1;
    if ((zone = ZoneOf(kZoneUp, id)) >= 0)
        Transpose(zone, 1);
    else if ((zone = ZoneOf(kZoneDown, id)) >= 0)
        Transpose(zone, -1);
    else if ((zone = ZoneOf(kZonePlus12, id)) >= 0)
        Transpose(zone, 12);
    else if ((zone = ZoneOf(kZoneMinus12, id)) >= 0)
        Transpose(zone, -12);
    else if ((zone = ZoneOf(kZoneAttackOff, id)) >= 0)
        AttackOff(zone);
    else if ((zone = ZoneOf(kZoneMute, id)) >= 0)
        Mute(zone);
    else if ((zone = ZoneOf(kZoneSetZone, id)) >= 0)
        SetZone(zone);
    else if ((zone = ZoneOf(kZoneDebugB, id)) >= 0)
        SendKeymapDumpRequest(m_sender, KEYMAP_ZONE_1 + zone);
    else if (id == kZoneDebugA[0])
        SendKeymapDumpRequest(m_sender, KEYMAP_ZONE_ENABLE);
    else
        return false;
    return true;
}

void CZoneEditor::WriteField(int zone, int offset, int32_t value)
{
    m_held.Zones[static_cast<size_t>(zone)].Field(offset) = value;
    SendFieldOperation(m_sender, OP_SET_ZONE_SPLIT_DATA, zone, offset, 1, value);
}

void CZoneEditor::Transpose(int zone, int semitones)
{
    // The note stops at either end of the MIDI range: sending its low seven
    // bits would throw the zone to the other end instead.
    const int32_t note = m_held.Zones[static_cast<size_t>(zone)].lo_note;
    WriteField(zone, kLoNoteOffset, std::clamp(note + semitones, 0, kHighestNote));
}

void CZoneEditor::AttackOff(int zone)
{
    // Each column has its own rule; none of them tells the box. The user
    // sends the value by picking a line afterwards.
    int32_t& velocity = m_held.Zones[static_cast<size_t>(zone)].atk_vel;
    switch (zone) {
    case 0:
        if (velocity != 0) {
            SavedAttackVelocity = static_cast<int8_t>(velocity);
            velocity = 0;
        } else {
            velocity = SavedAttackVelocity;
        }
        break;
    case 1:
        velocity = velocity != 0 ? 0 : kAttackNormalLine;
        break;
    default:
        velocity = velocity != 0 ? 1 : 4;
        break;
    }
    m_controls.SelectListLine(kZoneAttackList[static_cast<size_t>(zone)], velocity);
}

void CZoneEditor::Mute(int zone)
{
    // The button shows what the box reports back, not the click.
    SendSetParameter(m_sender, ZmFunc_ZoneMutBits, m_held.MuteBits ^ (1 << zone));
    m_controls.FocusDialog();
}

void CZoneEditor::SetZone(int zone)
{
    // Pressed until the box reports the split done (ShowSplitDone).
    m_controls.SetCheck(kZoneSetZone[static_cast<size_t>(zone)], true);
    SendSetSplit(m_sender, zone + 1);
    m_controls.FocusDialog();
}

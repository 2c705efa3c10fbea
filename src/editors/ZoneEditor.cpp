#include "editors/ZoneEditor.h"

#include "editors/MainDialogTexts.h"
#include "protocol/TextBuffer.h"
#include "res/resource.h"

namespace {

constexpr ZoneIds kVelocityLists[2] = {kZoneAttackList, kZoneReleaseList};

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

#include "editors/KeyboardConfigurator.h"

#include "editors/KeyboardPresets.h"
#include "protocol/BoxParameters.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"
#include "protocol/TextBuffer.h"
#include "res/resource.h"

namespace {

enum class EntryStyle {
    KeyPosition,   // "  %d" below 10, " %d" from 10 on
    Aftertouch,    // " %d "
    Milliseconds,  // "  %d mSec"
};

// One scanning-parameter list. Entry i stands for the value i * step: the
// Aftertouch Delay list is labelled in milliseconds, 25 per entry, and its
// parameter is read and written in milliseconds as well, so that what the
// list shows is what the box holds.
struct ScanListLayout {
    int id;
    ScanList list;
    int count;
    int32_t step;
    EntryStyle style;
    int labelIndex;          // the entry whose number is replaced by a label
    const char* label;
    int32_t defaultValue;    // what Restore Defaults sends
};

constexpr ScanListLayout kScanLists[] = {
    {IDC_KEY_TRIGGER_LIST, ScanList::KeyTrigger, 16, 1, EntryStyle::KeyPosition, 3, "3 normal", 3},
    {IDC_KEY_RETRIGGER_LIST, ScanList::KeyRetrigger, 16, 1, EntryStyle::KeyPosition, 8, "8 normal", 8},
    {IDC_AFTERTOUCH_RANGE_LIST, ScanList::AftertouchRange, 20, 1, EntryStyle::Aftertouch, -1, nullptr, 10},
    {IDC_AFTERTOUCH_HOLDOFF_LIST, ScanList::AftertouchHoldoff, 20, 1, EntryStyle::Aftertouch, -1, nullptr, 10},
    {IDC_AFTERTOUCH_DELAY_LIST, ScanList::AftertouchDelay, 32, 25, EntryStyle::Milliseconds, 8, "200 mSec Default", 400},
};

const ScanListLayout* FindScanList(int id)
{
    for (const ScanListLayout& list : kScanLists)
        if (list.id == id)
            return &list;
    return nullptr;
}

CLineBuffer EntryText(const ScanListLayout& list, int index)
{
    CLineBuffer text;
    if (index == list.labelIndex) {
        text.Text(list.label);
        return text;
    }
    const int32_t value = index * list.step;
    switch (list.style) {
    case EntryStyle::KeyPosition:
        text.Text(value < 10 ? "  " : " ").Dec(value);
        break;
    case EntryStyle::Aftertouch:
        text.Char(' ').Dec(value).Char(' ');
        break;
    case EntryStyle::Milliseconds:
        text.Text("  ").Dec(value).Text(" mSec");
        break;
    }
    return text;
}

//! The entry that `value` stands for, truncating between entries; -1 when
//! the list has none.
int EntryOf(const ScanListLayout& list, int32_t value)
{
    if (value < 0)
        return -1;
    const int32_t index = value / list.step;
    return index < list.count ? static_cast<int>(index) : -1;
}

} // namespace

CKeyboardConfigurator::CKeyboardConfigurator(IDialogControls& controls, const HeldValues& held,
                                             ISysExSender& sender)
    : m_controls(controls), m_held(held), m_sender(sender)
{
}

void CKeyboardConfigurator::Initialise()
{
    for (const ScanListLayout& list : kScanLists) {
        for (int i = 0; i < list.count; ++i)
            m_controls.InsertListLine(list.id, i, EntryText(list, i).View());
        m_controls.SelectListLine(list.id, EntryOf(list, m_held.XtableValues[static_cast<size_t>(ScanListParameter(list.list))]));
    }
    for (const KeyboardPreset& preset : kKeyboardPresets)
        m_controls.SetCheck(preset.id, false);
}

bool CKeyboardConfigurator::OnCommand(int id)
{
    if (id == IDC_RESTORE_DEFAULTS) {
        RestoreDefaults();
        return true;
    }
    if (id == IDC_EDIT_KEY_MAP)
        return true;
    for (const KeyboardPreset& preset : kKeyboardPresets) {
        if (preset.id != id)
            continue;
        for (size_t zone = 0; zone < preset.zones.size(); ++zone)
            SendWriteFieldData(m_sender, OP_SET_ZONE_SPLIT_DATA, static_cast<int32_t>(zone), 0, 8, preset.zones[zone]);
        return true;
    }
    return false;
}

bool CKeyboardConfigurator::OnListSelChange(int id, int index)
{
    const ScanListLayout* list = FindScanList(id);
    if (!list)
        return false;
    if (index >= 0 && index < list->count)
        SendSetParameter(m_sender, ScanListParameter(list->list), index * list->step);
    return true;
}

void CKeyboardConfigurator::RestoreDefaults()
{
    for (const ScanListLayout& list : kScanLists) {
        m_controls.SelectListLine(list.id, EntryOf(list, list.defaultValue));
        SendSetParameter(m_sender, ScanListParameter(list.list), list.defaultValue);
    }
}

void SendKeyboardConfigInquiries(ISysExSender& sender)
{
    for (int32_t parameter : kKeyboardConfigInquiries)
        SendInquireParameter(sender, parameter);
}

#include "editors/ParameterTable.h"

#include "editors/MainDialogTexts.h"
#include "editors/TypedText.h"
#include "protocol/BoxParameters.h"
#include "protocol/RequestBuilders.h"
#include "protocol/TextBuffer.h"
#include "res/resource.h"

#include <optional>

namespace {

constexpr int32_t kMaxParameterValue = 16383;   // 14 bits on the wire

} // namespace

CParameterTable::CParameterTable(IDialogControls& controls, HeldValues& held, ReportOptions& options,
                                 ISysExSender& sender)
    : m_controls(controls), m_held(held), m_options(options), m_sender(sender)
{
}

void CParameterTable::FillList()
{
    for (int number = 0; number < kParameterCount; ++number)
        m_controls.AddListLine(IDC_PARAMETER_LIST, ParameterListText(number));
    m_controls.SetTextLimit(IDC_XTABLE_DATA, kXtableDataChars);
}

void CParameterTable::ShowSwitches()
{
    m_controls.SetCheck(IDC_SHOW_KEYS, m_options.ShowKeys != 0);
    m_controls.SetCheck(IDC_SHOW_XOPTO, m_options.ShowXopto != 0);
    m_controls.SetCheck(IDC_SHOW_MISC, m_options.ShowMisc != 0);
    m_controls.SetCheck(IDC_SCANNER_122, Scanner122());
}

void CParameterTable::ShowParameter(int32_t number, int32_t value)
{
    const BoxParameter* parameter = FindBoxParameter(number);
    if (!parameter)
        return;
    int id = 0;
    switch (parameter->readout) {
    case Readout::NumberKeys:
        id = IDC_NUMBER_KEYS;
        break;
    case Readout::LowNoteKey2:
        id = IDC_LOW_NOTE_KEY2;
        break;
    case Readout::None:
        return;
    }
    CLineBuffer text;
    text.Dec(value, 3);
    m_controls.SetControlText(id, text.View());
}

bool CParameterTable::OnCommand(int id)
{
    switch (id) {
    case IDC_REVISION_REQUEST:
        SendRevisionRequest(m_sender);
        return true;
    case IDC_EEPROM_DUMP:
        SendEepromDumpRequest(m_sender);
        return true;
    case IDC_SCAN_DUMP:
        SendScanDumpRequest(m_sender);
        return true;
    case IDC_SMART_DUMP:
        SendSmartEepromPeek(m_sender, m_options);
        return true;
    case IDC_SYNCHRONIZE:
        SendSynchronizeData(m_sender, m_held);
        return true;
    case IDC_INQUIRE_XTABLE:
        SendInquireParameter(m_sender, SelectedParameter);
        return true;
    case IDC_SEND_XTABLE:
        SendXtableData();
        return true;
    case IDC_SHOW_KEYS:
    case IDC_SHOW_XOPTO:
    case IDC_SHOW_MISC:
    case IDC_SCANNER_122:
        ToggleReportSwitch(id);
        return true;
    default:
        return false;
    }
}

bool CParameterTable::OnListSelChange(int id, int index)
{
    if (id != IDC_PARAMETER_LIST)
        return false;
    if (index >= 0 && index < kParameterCount)
        SelectedParameter = index;
    return true;
}

void CParameterTable::SendXtableData()
{
    // The box takes whatever value arrives, so a typo must not reach it as
    // some other number: what is sent is exactly what the edit shows.
    const std::string text = m_controls.ControlText(IDC_XTABLE_DATA);
    if (const std::optional<int32_t> value = ParseWholeNumber(text, kMaxParameterValue)) {
        SendSetParameter(m_sender, SelectedParameter, *value);
        return;
    }
    CLineBuffer line;
    line.Text("Send Xtable Data: \"")
        .Text(std::string_view(text).substr(0, 32))   // the edit holds five; keep the line whole anyway
        .Text("\" is not a whole number from 0 to 16383, nothing sent");
    m_controls.AppendLine(line.View());
}

void CParameterTable::ToggleReportSwitch(int id)
{
    switch (id) {
    case IDC_SHOW_KEYS:
        m_options.ShowKeys = m_options.ShowKeys ? 0 : 1;
        m_options.ShowXopto = 0;
        m_options.ShowMisc = 0;
        break;
    case IDC_SHOW_XOPTO:
        m_options.ShowXopto = m_options.ShowXopto ? 0 : 1;
        break;
    case IDC_SHOW_MISC:
        m_options.ShowMisc = m_options.ShowMisc ? 0 : 1;
        break;
    case IDC_SCANNER_122:
        m_options.ScannerKeyCount = Scanner122() ? kSmallKeyboardKeys : kLargeKeyboardKeys;
        break;
    default:
        return;
    }
    // Whatever the window system did to the box on the click, it now shows
    // the flags.
    ShowSwitches();
}

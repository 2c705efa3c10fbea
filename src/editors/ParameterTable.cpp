#include "editors/ParameterTable.h"

#include "editors/MainDialogTexts.h"
#include "protocol/RequestBuilders.h"
#include "protocol/TextBuffer.h"
#include "res/resource.h"

CParameterTable::CParameterTable(IDialogControls& controls, HeldValues& held, ReportOptions& options,
                                 ISysExSender& sender)
    : m_controls(controls), m_held(held), m_options(options), m_sender(sender)
{
}

void CParameterTable::FillList()
{
    for (int number = 0; number < static_cast<int>(kParameterNames.size()); ++number)
        m_controls.AddListLine(IDC_PARAMETER_LIST, ParameterListText(number));
}

void CParameterTable::ShowSwitches()
{
    m_controls.SetCheck(IDC_SHOW_KEYS, m_options.ShowKeys != 0);
    m_controls.SetCheck(IDC_SHOW_XOPTO, m_options.ShowXopto != 0);
    m_controls.SetCheck(IDC_SHOW_MISC, m_options.ShowMisc != 0);
    m_controls.SetCheck(IDC_SCANNER_122, Scanner122 != 0);
}

void CParameterTable::ShowParameter(int32_t number, int32_t value)
{
    int id = 0;
    if (number == ZmFunc_NumberKeys)
        id = IDC_NUMBER_KEYS;
    else if (number == ZmFunc_AdjustDown || number == ZmFunc_LowNteKey2)
        id = IDC_LOW_NOTE_KEY2;
    else
        return;
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
    default:
        return false;
    }
}

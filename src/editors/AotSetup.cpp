#include "editors/AotSetup.h"

#include "editors/AotOptions.h"
#include "editors/TypedText.h"
#include "protocol/BoxParameters.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"
#include "protocol/TextBuffer.h"
#include "res/resource.h"

CAotSetup::CAotSetup(IDialogControls& controls, const HeldValues& held, ISysExSender& sender)
    : m_controls(controls), m_held(held), m_sender(sender)
{
}

void CAotSetup::Open()
{
    AotOptions = static_cast<uint8_t>(m_held.HeldAotBooleans);
    Mark();
    m_shownDelay = m_held.HeldAotDelay;
    CLineBuffer text;
    text.Dec(m_shownDelay);
    m_controls.SetControlText(IDC_AOT_DELAY, text.View());
}

void CAotSetup::Mark()
{
    for (const AotOption& option : kAotOptions)
        m_controls.SetCheck(option.id, (AotOptions >> option.bit) & 1);
}

void CAotSetup::ParameterReported(int32_t number, int32_t value)
{
    if (number != ZmFunc_AotBooleans || static_cast<uint8_t>(value) == AotOptions)
        return;
    AotOptions = static_cast<uint8_t>(value);
    Mark();
}

bool CAotSetup::OnCommand(int id)
{
    for (const AotOption& option : kAotOptions) {
        if (option.id != id)
            continue;
        AotOptions ^= static_cast<uint8_t>(1u << option.bit);
        m_controls.SetCheck(id, (AotOptions >> option.bit) & 1);
        SendSetParameter(m_sender, ZmFunc_AotBooleans, AotOptions);
        return true;
    }
    return false;
}

bool CAotSetup::OnOK()
{
    const std::optional<int32_t> delay = ParseAotDelay(m_controls.ControlText(IDC_AOT_DELAY));
    if (!delay) {
        m_controls.SetControlText(IDC_AOT_DELAY_PROBLEM, kAotDelayProblem);
        return false;
    }
    m_controls.SetControlText(IDC_AOT_DELAY_PROBLEM, "");
    // Against what the edit showed at opening, not what is held now: a
    // report that came in meanwhile must not be overwritten with the old value.
    if (*delay != m_shownDelay)
        SendSetParameter(m_sender, ZmFunc_Aot_t_delay, *delay);
    return true;
}

std::optional<int32_t> ParseAotDelay(std::string_view text)
{
    return ParseWholeNumber(text, 255);
}

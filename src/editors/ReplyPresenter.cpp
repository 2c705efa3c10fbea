#include "editors/ReplyPresenter.h"

#include "protocol/ProtocolCodes.h"
#include "res/resource.h"

CReplyPresenter::CReplyPresenter(IDialogControls& controls, HeldValues& held, CZoneEditor& zones,
                                 CParameterTable& parameters)
    : m_controls(controls), m_held(held), m_zones(zones), m_parameters(parameters)
{
}

void CReplyPresenter::ParameterReported(int32_t number, int32_t value)
{
    if (number == ZmFunc_ZoneMutBits)
        m_zones.ShowMuteBits(m_held.MuteBits);
    else
        m_parameters.ShowParameter(number, value);
}

void CReplyPresenter::IdentificationText(std::string_view text)
{
    m_controls.SetControlText(IDC_IDENTIFICATION, text);
}

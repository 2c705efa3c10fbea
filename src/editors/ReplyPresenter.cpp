#include "editors/ReplyPresenter.h"

#include "protocol/BoxParameters.h"
#include "res/resource.h"

CReplyPresenter::CReplyPresenter(IDialogControls& controls, HeldValues& held, CZoneEditor& zones,
                                 CParameterTable& parameters)
    : m_controls(controls), m_held(held), m_zones(zones), m_parameters(parameters)
{
}

void CReplyPresenter::AddObserver(IReplyObserver& observer)
{
    m_observers.push_back(&observer);
}

void CReplyPresenter::RemoveObserver(IReplyObserver& observer)
{
    std::erase(m_observers, &observer);
}

void CReplyPresenter::AppendLine(std::string_view line)
{
    if (m_shortMessageLineNext) {
        m_shortMessageLineNext = false;
        m_controls.AppendShortMessageLine(line);
        return;
    }
    m_controls.AppendLine(line);
}

void CReplyPresenter::ZoneRead(int zone)
{
    m_zones.ShowZone(zone);
    for (IReplyObserver* observer : m_observers) {
        observer->ZoneRead(zone);
        observer->ZonesChanged();
    }
}

void CReplyPresenter::SplitDone(int zone)
{
    m_zones.ShowSplitDone(zone);
    for (IReplyObserver* observer : m_observers)
        observer->ZonesChanged();
}

void CReplyPresenter::ParameterReported(int32_t number, int32_t value)
{
    // Numbers beyond the box's 32 show in their line alone.
    const BoxParameter* parameter = FindBoxParameter(number);
    if (parameter && parameter->held == HeldIn::MuteBits) {
        m_zones.ShowMuteBits(m_held.MuteBits);
        for (IReplyObserver* observer : m_observers)
            observer->ZonesChanged();
    } else {
        m_parameters.ShowParameter(number, value);
    }
    for (IReplyObserver* observer : m_observers)
        observer->ParameterReported(number, value);
}

void CReplyPresenter::PassEnded()
{
    m_shortMessageLineNext = false;
    m_controls.ScrollToLast();
    for (IReplyObserver* observer : m_observers)
        observer->PassEnded();
}

void CReplyPresenter::SmartDumpReported()
{
    for (IReplyObserver* observer : m_observers)
        observer->SmartDumpReported();
}

void CReplyPresenter::ScanDumpReported()
{
    for (IReplyObserver* observer : m_observers)
        observer->ScanDumpReported();
}

void CReplyPresenter::ShortMessage(uint32_t packed, std::chrono::steady_clock::time_point arrival)
{
    // Only a note-on with a velocity gets a line of its own.
    m_shortMessageLineNext = (packed & 0xF0) == 0x90 && ((packed >> 16) & 0xFF) != 0;
    for (IReplyObserver* observer : m_observers)
        observer->ShortMessage(packed, arrival);
}

void CReplyPresenter::IdentificationText(std::string_view text)
{
    m_controls.SetControlText(IDC_IDENTIFICATION, text);
    for (IReplyObserver* observer : m_observers)
        observer->IdentificationText(text);
}

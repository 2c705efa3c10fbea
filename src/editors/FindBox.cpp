#include "editors/FindBox.h"

#include <utility>

namespace {

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

void Join(std::string& text, const std::string& part, const char* separator)
{
    if (!text.empty())
        text += separator;
    text += part;
}

} // namespace

CFindBox::CFindBox(IDialogControls& controls, CPortSession& session, CPortLists& lists)
    : m_controls(controls), m_session(session), m_lists(lists)
{
}

CFindBox::~CFindBox() = default;

std::string CFindBox::OutputName(int device) const
{
    return m_session.Platform().OutputDeviceName(device);
}

std::string CFindBox::InputName(int device) const
{
    return m_session.Platform().InputDeviceName(device);
}

bool CFindBox::Start(bool includeThru)
{
    if (Running())
        return false;
    const CMidiPort& thru = m_session.Port(PortKind::Thru);
    const CMidiPort& output = m_session.Port(PortKind::Output);
    m_skippedThru = thru.Status() == PortStatus::Open && !includeThru ? thru.Index() : -1;

    CBoxFinder::Options options;
    options.replyTimeout = m_replyTimeout;
    const int current = output.Status() == PortStatus::Open ? output.Index() : -1;
    if (current >= 0 && current != m_skippedThru)
        options.outputs.push_back(current);
    for (int n = 0; n < m_session.OutputDeviceCount(); ++n)
        if (n != current && n != m_skippedThru)
            options.outputs.push_back(n);

    m_finder = std::make_unique<CBoxFinder>(m_session.Platform(), std::move(options));
    m_inputSuspended = m_session.SuspendInput();
    return true;
}

bool CFindBox::Step()
{
    if (!Running())
        return false;
    if (m_finder->Step())
        return true;
    Finished();
    return false;
}

void CFindBox::Stop()
{
    if (!Running())
        return;
    m_finder->Stop();
    if (std::exchange(m_inputSuspended, false))
        m_lists.ResumeInput();
    m_controls.AppendLine("Find ZM1 box stopped; the ports are as they were");
}

void CFindBox::Abandon()
{
    if (Running())
        m_finder->Stop();
    m_inputSuspended = false;
}

void CFindBox::Finished()
{
    const bool suspended = std::exchange(m_inputSuspended, false);
    const std::optional<CBoxFinder::Pair> pair = m_finder->Found();
    if (!pair) {
        if (suspended)
            m_lists.ResumeInput();
        m_controls.AppendLine(NotFoundLine());
        return;
    }
    // The box's own input back as it was, quietly; any other is opened by
    // the click, and the suspended one needs no closing.
    if (suspended && pair->input == m_session.Port(PortKind::Input).Index())
        m_lists.ResumeInput();
    m_lists.ChoosePair(pair->input, pair->output);
    m_controls.AppendLine("ZM1 box found: input " + Quoted(InputName(pair->input)) + ", output " +
                          Quoted(OutputName(pair->output)));
}

std::string CFindBox::NotFoundLine() const
{
    std::string silent;
    std::string unopened;
    for (const CBoxFinder::Attempt& attempt : m_finder->Attempts())
        Join(attempt.opened == MIDI_OK ? silent : unopened, Quoted(OutputName(attempt.output)), ", ");
    std::string deaf;
    for (const auto& [input, result] : m_finder->DeafInputs())
        Join(deaf, Quoted(InputName(input)), ", ");

    std::string why;
    if (m_finder->InputsOpened() == 0 && m_finder->Attempts().empty())
        why = m_finder->InputCount() == 0 ? "no MIDI input to listen on" : "no MIDI input could be opened";
    else if (m_finder->Outputs().empty())
        why = "no MIDI output to try";
    if (!silent.empty())
        Join(why, "no answer on " + silent, "; ");
    if (!unopened.empty())
        Join(why, "could not open " + unopened, "; ");
    if (m_skippedThru >= 0)
        Join(why, "thru/out " + Quoted(OutputName(m_skippedThru)) + " not tried", "; ");
    if (!deaf.empty() && m_finder->InputsOpened() > 0)
        Join(why, "not listening on " + deaf, "; ");
    return "No ZM1 box found: " + why;
}

std::string CFindBox::Progress() const
{
    if (!Running())
        return {};
    if (m_finder->State() == CBoxFinder::Phase::Listening)
        return "Opening the MIDI inputs (" +
               std::to_string(m_finder->InputsOpened() + static_cast<int>(m_finder->DeafInputs().size())) + " of " +
               std::to_string(m_finder->InputCount()) + ")";
    return "Trying " + Quoted(OutputName(m_finder->CurrentOutput())) + " (output " + std::to_string(OutputsTried()) +
           " of " + std::to_string(OutputsToTry()) + ")";
}

int CFindBox::OutputsTried() const
{
    return m_finder ? static_cast<int>(m_finder->Attempts().size()) : 0;
}

int CFindBox::OutputsToTry() const
{
    return m_finder ? static_cast<int>(m_finder->Outputs().size()) : 0;
}

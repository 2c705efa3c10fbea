#include "editors/BoxSetups.h"

#include "editors/SetupFile.h"
#include "protocol/BoxParameters.h"

#include <utility>

namespace {

std::string Joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

//! "1 zone", "4 zones".
std::string Count(size_t count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::vector<int32_t> AllParameters()
{
    std::vector<int32_t> numbers;
    for (const BoxParameter& parameter : kBoxParameters)
        numbers.push_back(parameter.number);
    return numbers;
}

} // namespace

CBoxSetups::CBoxSetups(IDialogControls& controls, CPortSession& session, HeldValues& held)
    : m_controls(controls), m_session(session), m_held(held), m_exchange(session.Transmitter(), held, m_answers)
{
    m_exchange.SetTimeout(kTimeout);
}

// ---- the answers ----

void CBoxSetups::ZoneRead(int zone)
{
    // Kept as the reply brought it, before any button changes the mirror.
    if (m_exchange.Running())
        m_answers.ZoneRead(zone, m_held.Zones[static_cast<size_t>(zone & 3)]);
}

void CBoxSetups::ParameterReported(int32_t number, int32_t value)
{
    if (m_exchange.Running())
        m_answers.ParameterReported(number, value);
}

void CBoxSetups::IdentificationText(std::string_view text)
{
    if (m_exchange.Running())
        m_answers.IdentificationText(text);
}

// ---- starting ----

void CBoxSetups::Line(const std::string& text)
{
    m_controls.AppendLine(text);
    m_controls.ScrollToLast();
}

bool CBoxSetups::PortsFault(std::string& why) const
{
    if (m_session.Port(PortKind::Output).Status() != PortStatus::Open)
        why = "no MIDI output port is open";
    else if (m_session.Port(PortKind::Input).Status() != PortStatus::Open)
        why = "no MIDI input port is open";
    return !why.empty();
}

namespace {

//! How a task that did not start or complete is told, by task.
const char* NotDone(CBoxSetups::Task task)
{
    static constexpr const char* kNot[] = {"", "Setup not saved to ", "Setup not loaded from ",
                                           "Setup not compared with "};
    return kNot[static_cast<int>(task)];
}

} // namespace

bool CBoxSetups::Begin(Task task, const std::string& path, const std::string& shown)
{
    // The task under way, or the search for the box, keeps the ports: the
    // new one is told so rather than dropped without a word.
    std::string busy = Running() ? "another setup task is under way" : std::string();
    if (busy.empty() && m_otherWork)
        busy = m_otherWork();
    if (!busy.empty()) {
        Line(NotDone(task) + (shown.empty() ? path : shown) + ": " + busy);
        m_refusal = busy;
        return false;
    }
    m_refusal.clear();
    m_task = task;
    m_path = path;
    m_shown = shown.empty() ? path : shown;
    m_question.reset();
    m_outcome = Outcome{task, false, m_path, m_shown, {}, {}};
    return true;
}

bool CBoxSetups::Refuse(const std::string& why)
{
    Line(NotDone(m_task) + m_shown + ": " + why);
    m_outcome.why = why;
    // Refused before any exchange began: the task did not start.
    if (m_stage == Stage::Idle)
        m_refusal = why;
    Finish(false);
    return false;
}

bool CBoxSetups::Save(const std::string& path, const std::string& shown)
{
    if (!Begin(Task::Save, path, shown))
        return false;
    // Refused before the box is asked, and checked again when written.
    for (const std::string& target : {path, SetupJsonPath(path)})
        if (const auto fault = CReplacingFileSet::TargetFault(target))
            return Refuse("cannot write " + target + ": " + *fault);
    std::string why;
    if (PortsFault(why))
        return Refuse(why);
    m_stage = Stage::Reading;
    m_exchange.StartRead({0, 1, 2, 3}, AllParameters(), CSetupExchange::Asking::Synchronized);
    return true;
}

bool CBoxSetups::BeginWithFile(Task task, const std::string& path, const std::string& shown)
{
    if (!Begin(task, path, shown))
        return false;
    // The whole file is checked before a single request leaves.
    if (const auto fault = ReadSetupFile(path, m_setup))
        return Refuse(*fault);
    std::string why;
    if (PortsFault(why))
        return Refuse(why);
    return true;
}

bool CBoxSetups::Load(const std::string& path, const std::string& shown)
{
    if (!BeginWithFile(Task::Load, path, shown))
        return false;
    if (m_setup.Value(ZmFunc_NumberKeys)) {
        m_stage = Stage::KeyCount;
        m_exchange.StartRead({}, {ZmFunc_NumberKeys});
    } else {
        StartWrite();
    }
    return true;
}

bool CBoxSetups::Compare(const std::string& path, const std::string& shown)
{
    if (!BeginWithFile(Task::Compare, path, shown))
        return false;
    m_stage = Stage::Reading;
    m_exchange.StartRead(m_setup.Zones(), m_setup.Parameters());
    return true;
}

// ---- stepping ----

bool CBoxSetups::Step(CSetupExchange::Clock::time_point now)
{
    if (!Running())
        return false;
    if (m_question || m_exchange.Step(now, m_session.Transmitter().FramesSent()))
        return true;
    switch (m_task) {
    case Task::Save:
        SaveRead();
        break;
    case Task::Load:
        if (m_stage == Stage::KeyCount)
            KeyCountRead();
        else
            LoadWritten();
        break;
    case Task::Compare:
        CompareRead();
        break;
    case Task::None:
        break;
    }
    return Running();
}

std::string CBoxSetups::NoAnswer() const
{
    return "no answer within " + std::to_string(m_exchange.Timeout().count()) + " ms for " +
           Joined(m_exchange.Missing());
}

void CBoxSetups::SaveRead()
{
    if (!m_exchange.Missing().empty()) {
        Refuse(NoAnswer());
        return;
    }
    const BoxSnapshot snapshot = m_exchange.Snapshot();
    CReplacingFileSet files;
    if (!WriteSetupFiles(m_path, snapshot, files)) {
        Refuse("cannot write " + files.FailedPath() + ": " + files.Error());
        return;
    }
    SetupContents written;
    ParseSetup(SetupFrames(snapshot), written);
    Line("Setup saved to " + m_shown + " (readable copy: " + SetupJsonPath(m_shown) + "): " +
         Count(written.Zones().size(), "zone") + " and " + Count(written.parameters.size(), "parameter"));
    Finish(true);
}

void CBoxSetups::KeyCountRead()
{
    const std::optional<int32_t> box = m_answers.ParameterAnswer(ZmFunc_NumberKeys);
    if (!box) {
        Refuse(NoAnswer());
        return;
    }
    const int32_t setup = *m_setup.Value(ZmFunc_NumberKeys);
    if (setup != *box) {
        m_question = KeyCounts{setup, *box};
        return;
    }
    StartWrite();
}

void CBoxSetups::AnswerKeyCount(bool load)
{
    if (!m_question)
        return;
    const KeyCounts counts = *m_question;
    m_question.reset();
    if (load)
        StartWrite();
    else
        Refuse("it is for " + std::to_string(counts.setup) + " keys, the box has " + std::to_string(counts.box));
}

void CBoxSetups::StartWrite()
{
    m_stage = Stage::Writing;
    m_exchange.StartWrite(m_setup);
}

void CBoxSetups::LoadWritten()
{
    const std::string what =
        Count(m_setup.parameters.size(), "parameter") + " and " + Count(m_setup.Zones().size(), "zone");
    if (!m_exchange.Missing().empty()) {
        Line("Setup written from " + m_shown + " (" + what + "), but " + NoAnswer() +
             ": whether the box holds it is not known");
        Finish(false);
        return;
    }
    m_outcome.differences = CompareSetup(m_setup, m_exchange.Snapshot());
    if (m_outcome.differences.empty()) {
        Line("Setup loaded from " + m_shown + ": " + what + ", read back, all as written");
        Finish(true);
        return;
    }
    Line("Setup loaded from " + m_shown + " (" + what + "), but the box did not take " +
         Count(m_outcome.differences.size(), "value") + ":");
    for (const SetupDifference& d : m_outcome.differences)
        Line("  " + d.What() + ": setup " + std::to_string(d.file) + ", box " + std::to_string(d.box));
    Finish(true);
}

void CBoxSetups::CompareRead()
{
    if (!m_exchange.Missing().empty()) {
        Refuse(NoAnswer());
        return;
    }
    m_outcome.differences = CompareSetup(m_setup, m_exchange.Snapshot());
    const size_t count = m_outcome.differences.size();
    Line("Compare with " + m_shown + ": " +
         (count == 0 ? std::string("the box holds what the setup sets")
                     : Count(count, "difference")));
    Finish(true);
}

// ---- ending ----

void CBoxSetups::Finish(bool completed)
{
    m_exchange.Stop();
    m_outcome.completed = completed;
    m_task = Task::None;
    m_stage = Stage::Idle;
    m_question.reset();
}

void CBoxSetups::Stop()
{
    if (!Running())
        return;
    std::string line;
    switch (m_task) {
    case Task::Save:
        line = "Save setup stopped; nothing written";
        break;
    case Task::Load:
        if (m_stage == Stage::Writing && m_exchange.FramesWritten() > 0)
            line = "Load setup stopped after " + std::to_string(m_exchange.FramesWritten()) + " of " +
                   std::to_string(m_exchange.FramesToWrite()) + " requests; the box may hold part of the setup";
        else
            line = "Load setup stopped; nothing sent";
        break;
    case Task::Compare:
        line = "Compare with box stopped";
        break;
    case Task::None:
        break;
    }
    Line(line);
    Finish(false);
}

void CBoxSetups::Abandon()
{
    if (Running())
        Finish(false);
}

std::string CBoxSetups::Progress() const
{
    const auto answers = [&] {
        return std::to_string(m_exchange.Answered()) + " of " + std::to_string(m_exchange.Awaited()) + " answers";
    };
    if (!Running())
        return {};
    if (m_question)
        return "Waiting for an answer";
    switch (m_stage) {
    case Stage::KeyCount:
        return "Reading the box's number of keys";
    case Stage::Writing:
        if (m_exchange.State() == CSetupExchange::Phase::Writing)
            return "Writing the setup: " + std::to_string(m_exchange.FramesWritten()) + " of " +
                   std::to_string(m_exchange.FramesToWrite()) + " requests";
        return "Reading back: " + answers();
    case Stage::Reading:
        return "Reading the box: " + answers();
    case Stage::Idle:
        break;
    }
    return {};
}

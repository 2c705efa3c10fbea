#include "BoxClient.h"

#include "Escape.h"
#include "FrameText.h"
#include "Interrupt.h"
#include "Output.h"
#include "UsageError.h"
#include "midi/CombinedMidiPlatform.h"
#include "protocol/LowerCase.h"

#include <algorithm>
#include <cctype>
#include <thread>
#include <utility>

namespace {

bool AllDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The port session's lines pad their labels with runs of blanks; one
// blank reads better inside a sentence.
std::string Squeezed(std::string_view line)
{
    std::string out;
    for (char c : line)
        if (c != ' ' || (!out.empty() && out.back() != ' '))
            out += c;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace

// ---- session log ----

void CBoxClient::CSessionLog::AppendLine(std::string_view line)
{
    if (m_verbose || !collecting)
        std::fprintf(stderr, "zmctl: %s\n", Escaped(line).c_str());
    if (collecting)
        m_lines.emplace_back(line);
}

std::vector<std::string> CBoxClient::CSessionLog::Take()
{
    collecting = false;
    return std::exchange(m_lines, {});
}

// ---- construction ----

namespace {

std::unique_ptr<IMidiPlatform> SystemPlatform(const ClientSettings& settings, std::vector<MidiDeviceRange>& ranges)
{
    MidiPlatformOptions options;
    options.clientName = "zmctl";
    options.simulatorTiming = settings.simTiming;
    options.jackInBackground = settings.listJackInBackground;
    return CreateMidiPlatform(options, &ranges);
}

} // namespace

CBoxClient::CBoxClient(const ClientSettings& settings)
    : CBoxClient(settings, nullptr, {})
{
}

CBoxClient::CBoxClient(const ClientSettings& settings, std::unique_ptr<IMidiPlatform> platform,
                       std::vector<MidiDeviceRange> ranges)
    : m_settings(settings)
    , m_ranges(std::move(ranges))
    , m_platform(platform ? std::move(platform) : SystemPlatform(settings, m_ranges))
    , m_rings(std::make_unique<CaptureRings>())
    , m_sessionLog(settings.verbose)
    , m_session(*m_platform, *m_rings, m_sessionLog)
    , m_pipeline(*m_rings, *this, m_session.Transmitter())
{
    // A forced end (a second Ctrl-C) names what never left.
    SetLastWords([this] { return NotSent(); });
}

CBoxClient::~CBoxClient()
{
    SetLastWords(nullptr);
    // Requests still queued leave before the output closes (a stop of the
    // key stream, the last frame of a restore), also when nobody asked
    // FinishSending().
    m_session.Transmitter().Flush(kFinishTimeout);
}

std::vector<std::string> CBoxClient::NotSent()
{
    std::vector<std::string> texts;
    for (const std::vector<uint8_t>& frame : m_session.Transmitter().NotSent())
        texts.push_back(FrameText(frame.data(), frame.size()));
    return texts;
}

std::vector<std::string> CBoxClient::FinishSending()
{
    ListingIn();
    m_session.Transmitter().Flush(kFinishTimeout);
    // Send failures still unreported go to stderr as the session's lines.
    m_session.Transmitter().ReportFailures();
    return NotSent();
}

// ---- devices ----

std::vector<DeviceEntry> CBoxClient::Devices(bool input) const
{
    std::vector<DeviceEntry> list;
    const int count = input ? m_platform->InputDeviceCount() : m_platform->OutputDeviceCount();
    for (int n = 0; n < count; ++n)
        list.push_back({n, input ? m_platform->InputDeviceName(n) : m_platform->OutputDeviceName(n), ""});
    for (const MidiDeviceRange& r : m_ranges) {
        const int first = input ? r.firstInput : r.firstOutput;
        const int last = first + (input ? r.inputCount : r.outputCount);
        for (int n = first; n < last && n < count; ++n)
            list[static_cast<size_t>(n)].api = r.api;
    }
    return list;
}

std::string CBoxClient::Describe(int device, bool input) const
{
    return Describe(Devices(input)[static_cast<size_t>(device)]);
}

std::string CBoxClient::Describe(const DeviceEntry& entry)
{
    const int device = entry.number;
    std::string text = std::to_string(device) + " \"" + Escaped(entry.name) + "\"";
    if (!entry.api.empty())
        text += " (" + entry.api + ")";
    return text;
}

std::optional<int> CBoxClient::Find(const std::string& choice, bool input) const
{
    const char* kind = input ? "input" : "output";
    const std::vector<DeviceEntry> list = Devices(input);
    const std::string hint = " (zmctl ports lists them)";
    if (choice.empty())
        throw CUsageError(std::string("no ") + kind + " port given: use --" + (input ? "in" : "out") + " DEV" + hint);
    if (AllDigits(choice)) {
        const size_t n = choice.size() > 9 ? list.size() : std::stoul(choice);
        if (n >= list.size())
            throw CCommandError(kExitPort, std::string("no ") + kind + " device " + Escaped(choice) + ": there are " +
                                               std::to_string(list.size()) + hint);
        return static_cast<int>(n);
    }
    const std::string wanted = LowerCase(choice);
    std::vector<int> matches;
    for (const DeviceEntry& entry : list) {
        const std::string name = LowerCase(entry.name);
        if (name == wanted)
            return entry.number;
        if (name.find(wanted) != std::string::npos)
            matches.push_back(entry.number);
    }
    if (matches.empty())
        return std::nullopt;
    if (matches.size() > 1) {
        std::string names;
        for (int n : matches)
            names += (names.empty() ? "" : ", ") + Describe(list[static_cast<size_t>(n)]);
        throw CCommandError(kExitPort, std::string(kind) + " '" + Escaped(choice) + "' is ambiguous: " + names);
    }
    return matches.front();
}

bool CBoxClient::NamedExactlyAlready(const std::string& choice, bool input) const
{
    // Only JACK lists in the background, and its names all read
    // "client:port": a name without a colon that a device listed already
    // has exactly is the first exact match whatever JACK lists.
    if (choice.find(':') != std::string::npos || AllDigits(choice))
        return false;
    const std::string wanted = LowerCase(choice);
    const std::vector<DeviceEntry> list = Devices(input);
    return std::any_of(list.begin(), list.end(), [&](const DeviceEntry& e) { return LowerCase(e.name) == wanted; });
}

int CBoxClient::Resolve(const std::string& choice, bool input)
{
    // A listing still to come moves the numbers and may add names that
    // match; only a name it cannot change goes ahead of it.
    if (m_platform->ListingPending() && !NamedExactlyAlready(choice, input))
        TakeListing(true);
    const auto deadline = Clock::now() + m_settings.timeout;
    for (;;) {
        if (const std::optional<int> device = Find(choice, input))
            return *device;
        if (Clock::now() >= deadline)
            throw CCommandError(kExitPort, std::string("no ") + (input ? "input" : "output") + " device matches '" +
                                               Escaped(choice) + "' (zmctl ports lists them)");
        ThrowIfInterrupted();
        std::this_thread::sleep_for(kRelistInterval);
        Relist();
    }
}

void CBoxClient::Relist()
{
    m_session.Relist();
    Recount();
}

void CBoxClient::Recount()
{
    // The ranges were taken at start; the parts now hold as many devices
    // as the new listing found.
    const auto* combined = dynamic_cast<const CCombinedMidiPlatform*>(m_platform.get());
    if (combined == nullptr || combined->PartCount() != m_ranges.size())
        return;
    int inputs = 0;
    int outputs = 0;
    for (size_t part = 0; part < m_ranges.size(); ++part) {
        MidiDeviceRange& range = m_ranges[part];
        range.firstInput = inputs;
        range.firstOutput = outputs;
        range.inputCount = combined->Part(part).InputDeviceCount();
        range.outputCount = combined->Part(part).OutputDeviceCount();
        inputs += range.inputCount;
        outputs += range.outputCount;
    }
}

void CBoxClient::TakeListing(bool wait)
{
    if (!m_platform->ListingPending())
        return;
    const std::vector<MidiDeviceRange> before = m_ranges;
    if (!m_platform->TakeListing(wait))
        return;
    m_session.Recount();
    Recount();
    // A part that listed nothing before took its devices in: the ports
    // opened meanwhile keep their place within their own part.
    for (PortKind kind : {PortKind::Input, PortKind::Output, PortKind::Thru}) {
        const bool input = kind == PortKind::Input;
        const int index = m_session.Port(kind).Index();
        for (size_t part = 0; part < before.size() && part < m_ranges.size(); ++part) {
            const int first = input ? before[part].firstInput : before[part].firstOutput;
            const int count = input ? before[part].inputCount : before[part].outputCount;
            if (index >= first && index < first + count) {
                m_session.Renumber(kind, (input ? m_ranges[part].firstInput : m_ranges[part].firstOutput) + index - first);
                break;
            }
        }
    }
    for (const auto& [what, kind] : std::exchange(m_portsToSay, {}))
        SayPort(what, kind);
}

void CBoxClient::SayPort(const char* what, PortKind kind)
{
    if (m_settings.quiet)
        return;
    if (m_platform->ListingPending()) {
        m_portsToSay.emplace_back(what, kind);
        return;
    }
    std::fprintf(stderr, "zmctl: %s %s\n", what, Describe(m_session.Port(kind).Index(), kind == PortKind::Input).c_str());
}

void CBoxClient::OpenFailed(const char* what, PortKind kind)
{
    TakeListing(true);
    std::string reason;
    for (const std::string& line : m_sessionLog.Take())
        reason += (reason.empty() ? "" : "; ") + Escaped(Squeezed(line));
    throw CCommandError(kExitPort, std::string("cannot open ") + what + " " +
                                       Describe(m_session.Port(kind).Index(), kind == PortKind::Input) +
                                       (reason.empty() ? "" : ": " + reason));
}

void CBoxClient::OpenInput(const std::string& choice)
{
    const int device = Resolve(choice, true);
    m_sessionLog.collecting = true;
    m_session.SelectInputDevice(device);
    m_session.OpenInputPort();
    if (!m_session.Port(PortKind::Input).InputPort() || !m_session.PrepareReceiveBuffer() || !m_session.QueueReceiveBuffer())
        OpenFailed("input", PortKind::Input);
    m_sessionLog.Take();
    SayPort("input", PortKind::Input);
}

void CBoxClient::OpenOutput(const std::string& choice)
{
    OpenSending(PortKind::Output, Resolve(choice, false));
}

void CBoxClient::OpenThru(const std::string& choice)
{
    const int device = Resolve(choice, false);
    // A listing made since the output opened may have moved its number:
    // then its name tells.
    const auto& output = m_session.Port(PortKind::Output);
    const bool moved = m_platform->OutputDeviceName(output.Index()) != output.Name();
    if (output.CountsAsOpen() && (moved ? m_platform->OutputDeviceName(device) == output.Name() : output.Index() == device))
        throw CCommandError(kExitPort, "thru " + Describe(device, false) + " is already the output");
    OpenSending(PortKind::Thru, device);
}

void CBoxClient::OpenSending(PortKind kind, int device)
{
    const char* what = kind == PortKind::Thru ? "thru" : "output";
    m_sessionLog.collecting = true;
    m_session.Select(kind, device);
    if (kind == PortKind::Thru)
        m_session.OpenThruPort();
    else
        m_session.OpenOutputPort();
    if (!m_session.Port(kind).OutputPort())
        OpenFailed(what, kind);
    m_sessionLog.Take();
    SayPort(what, kind);
}

// ---- sending ----

ISysExSender& CBoxClient::Sender()
{
    return m_session.Transmitter();
}

CSetupExchange CBoxClient::Exchange()
{
    CSetupExchange exchange(Sender(), Held(), m_answers);
    exchange.SetTimeout(m_settings.timeout);
    return exchange;
}

void CBoxClient::Run(CSetupExchange& exchange)
{
    for (;;) {
        ThrowIfInterrupted();
        Pass();
        if (!exchange.Step(Clock::now(), m_session.Transmitter().FramesSent()))
            return;
        Idle();
    }
}

// ---- waiting ----

void CBoxClient::BeginExchange()
{
    m_answers.Begin();
}

void CBoxClient::HandleMessages(CMessageRelay::Handler handler)
{
    // Whichever decodes takes what the rings hold from there on; switch
    // before the box is asked anything.
    m_messageHandler = std::move(handler);
    m_relay = m_messageHandler ? std::make_unique<CMessageRelay>(m_session.Transmitter(), Options()) : nullptr;
}

void CBoxClient::Pass()
{
    TakeListing(false);
    m_session.Transmitter().ReportFailures();
    if (m_relay) {
        m_relay->Relay(*m_rings, [this](const ArrivedMessage& message) {
            if (m_settings.verbose)
                for (const std::string& line : message.lines)
                    std::fprintf(stderr, "%s\n", Escaped(line).c_str());
            m_messageHandler(message);
        });
        return;
    }
    m_pipeline.Run();
    // Written after the pass, so that a failing output never interrupts
    // the decoder halfway.
    if (m_printTo && !m_toPrint.empty()) {
        // The ports are named before the first result.
        TakeListing(true);
        for (const std::string& line : m_toPrint)
            m_printTo->Line(line);
        m_toPrint.clear();
        m_printTo->Flush();
    }
}

void CBoxClient::Idle()
{
    const auto start = Clock::now();
    std::this_thread::sleep_for(kPassInterval);
    m_waited += Clock::now() - start;
}

uint64_t CBoxClient::SysExReceived() const
{
    return m_rings->sysex.writeCount.load(std::memory_order_acquire);
}

bool CBoxClient::WaitFor(const std::function<bool()>& done, const Progress& progress)
{
    // Only what belongs to the exchange moves the deadline: a request
    // leaving, a part of the answer coming in. A port that carries Active
    // Sensing, clock or somebody's notes never answers for the box.
    auto deadline = Clock::now() + m_settings.timeout;
    uint64_t sent = m_session.Transmitter().FramesSent();
    uint64_t parts = progress ? progress() : 0;
    for (;;) {
        ThrowIfInterrupted();
        Pass();
        if (done && done())
            return true;
        const auto now = Clock::now();
        const uint64_t nowSent = m_session.Transmitter().FramesSent();
        const uint64_t nowParts = progress ? progress() : 0;
        if (nowSent != sent || nowParts != parts) {
            sent = nowSent;
            parts = nowParts;
            deadline = now + m_settings.timeout;
        } else if (now >= deadline) {
            return false;
        }
        Idle();
    }
}

void CBoxClient::RunUntilInterrupted(const std::function<void()>& afterPass)
{
    while (PendingInterrupt() == 0) {
        Pass();
        if (afterPass)
            afterPass();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// ---- what the decoder tells ----

void CBoxClient::AppendLine(std::string_view line)
{
    m_answers.Line(line);
    if (m_settings.verbose)
        std::fprintf(stderr, "%s\n", Escaped(line).c_str());
    if (m_printTo)
        m_toPrint.emplace_back(line);
    if (m_lineHandler)
        m_lineHandler(line);
}

void CBoxClient::ZoneRead(int zone)
{
    m_answers.ZoneRead(zone, Held().Zones[static_cast<size_t>(zone & 3)]);
}

void CBoxClient::ParameterReported(int32_t number, int32_t value)
{
    m_answers.ParameterReported(number, value);
}

void CBoxClient::IdentificationText(std::string_view text)
{
    m_answers.IdentificationText(text);
}

// zmctl's client of the core: the box's ports opened by number or name,
// the requests sent through the transmitter, the reply pipeline run pass
// after pass until the answers are in or the timeout since the request (or
// the answer's last part) has run out, and what the box said: the mirrored
// state, the answers of the current exchange and the message-window lines.
// Qt-free and window-free; the same port session, builders and reply
// pipeline as zm_config, with this client as the pipeline's sink.
//
// Threading contract: one thread (zmctl's main thread) calls everything
// here; the MIDI stack's threads only fill the capture rings, as in the
// window. Waiting loops check for Ctrl-C (Interrupt.h) on every pass.
#pragma once

#include "MessageRelay.h"
#include "midi/CaptureRings.h"
#include "midi/MessageSink.h"
#include "midi/PortSession.h"
#include "protocol/DumpReports.h"
#include "protocol/ExchangeAnswers.h"
#include "protocol/HeldValues.h"
#include "protocol/ReplyPipeline.h"
#include "protocol/ReplySink.h"
#include "protocol/SetupExchange.h"
#include "sim/SystemMidiPlatform.h"

class COutput;

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ClientSettings {
    //! How long the box may stay quiet before an answer counts as missing.
    std::chrono::milliseconds timeout{500};
    //! Timing of the built-in simulated box.
    SimTiming simTiming = SimTiming::WireSpeed;
    //! Every message-window line, the ports' own included, also to stderr.
    bool verbose = false;
    //! The ports used are not named on stderr.
    bool quiet = false;
    //! JACK's ports are listed beside the start, not before it: a box named
    //! exactly, on another MIDI system, is asked at once (see Resolve).
    bool listJackInBackground = false;
};

//! A device as `zmctl ports` lists it: numbered as in zm_config's lists.
struct DeviceEntry {
    int number;
    std::string name;
    std::string api;  //!< "ALSA", "JACK" or "built-in"
};

class CBoxClient : private IReplySink {
public:
    //! How often a waiting loop runs a decoder pass.
    static constexpr std::chrono::milliseconds kPassInterval{2};
    //! Lines of one exchange kept for error messages.
    static constexpr size_t kKeptLines = CExchangeAnswers::kKeptLines;

    //! The system's devices, listed as zm_config lists them: ALSA, JACK
    //! (when a server runs), the built-in "ZM1 Simulator".
    explicit CBoxClient(const ClientSettings& settings);
    //! Over a platform of the caller's (benchmarks).
    CBoxClient(const ClientSettings& settings, std::unique_ptr<IMidiPlatform> platform,
               std::vector<MidiDeviceRange> ranges);
    //! Lets queued requests leave (bounded), then closes the ports.
    ~CBoxClient() override;

    //! How long FinishSending() lets the requests still queued leave.
    static constexpr std::chrono::milliseconds kFinishTimeout{2000};
    //! Lets every request queued so far leave the output port, at most
    //! kFinishTimeout, and returns those that did not (or whose send
    //! failed), as hex text. Call it once a command is over, however it
    //! ended, before the ports close.
    std::vector<std::string> FinishSending();

    CBoxClient(const CBoxClient&) = delete;
    CBoxClient& operator=(const CBoxClient&) = delete;

    std::vector<DeviceEntry> Inputs() { TakeListing(true); return Devices(true); }
    std::vector<DeviceEntry> Outputs() { TakeListing(true); return Devices(false); }
    //! The device `choice` names, as the Open functions resolve it (and
    //! throw; a name no device has yet is waited for).
    int Device(const std::string& choice, bool input) { return Resolve(choice, input); }
    //! A device as messages name it: 3 "zm1-sim:out" (JACK).
    std::string DeviceText(int device, bool input) { TakeListing(true); return Describe(device, input); }
    //! The devices themselves (the search for the box opens its own ports).
    IMidiPlatform& Platform() { TakeListing(true); return *m_platform; }

    //! Open the device that `choice` names: a number, or a part of the name
    //! that only one device has (an exact name always wins). A name that no
    //! device has yet is looked for again, the devices listed anew, until
    //! the timeout: a port that a program just started registers (zmctl
    //! simulate) is found. Throws CCommandError (status 4) when there is
    //! none, more than one, or it cannot be opened. Says on stderr which
    //! port is used, unless quiet.
    void OpenInput(const std::string& choice);
    void OpenOutput(const std::string& choice);
    void OpenThru(const std::string& choice);
    //! The ports are open: what the MIDI systems keep only for listing
    //! (an idle JACK client) goes, in the background. Opening another port
    //! afterwards still works.
    void PortsChosen() { m_platform->ListingDone(); }
    //! Waits for a listing still being made in the background (JACK's) and
    //! names the ports opened meanwhile: before a command's first result or
    //! message.
    void ListingIn() { TakeListing(true); }

    //! Where the request builders send; frames go out in call order.
    ISysExSender& Sender();

    //! An exchange of a setup over this client's ports and answers, with
    //! its timeout.
    CSetupExchange Exchange();
    //! Runs decoder passes and steps `exchange` until it has ended. Throws
    //! on Ctrl-C.
    void Run(CSetupExchange& exchange);

    //! Forgets the answers and lines of the previous exchange.
    void BeginExchange();
    //! How far an exchange's answer has come: a count that grows with
    //! every expected part of it.
    using Progress = std::function<uint64_t()>;
    //! Runs decoder passes until `done` holds (true) or the timeout has run
    //! out (false). The timeout counts from the last request that left or,
    //! for an answer of several parts, from the last change of `progress`;
    //! nothing else the input brings (Active Sensing, clock, notes, other
    //! replies) prolongs it. Throws on Ctrl-C.
    bool WaitFor(const std::function<bool()>& done, const Progress& progress = nullptr);
    //! Runs decoder passes until Ctrl-C; `afterPass` runs after each.
    void RunUntilInterrupted(const std::function<void()>& afterPass);

    // ---- the current exchange ----
    bool ZoneAnswered(int zone) const { return m_answers.ZoneAnswered(zone); }
    //! The value parameter `number` was last reported with (code 43), as
    //! sent, and how many reports of it came in this exchange.
    std::optional<int32_t> ParameterAnswer(int32_t number) const { return m_answers.ParameterAnswer(number); }
    int ParameterReports(int32_t number) const { return m_answers.ParameterReports(number); }
    const std::optional<std::string>& Identification() const { return m_answers.Identification(); }
    const std::vector<std::string>& Lines() const { return m_answers.Lines(); }
    //! System Exclusive bytes the input has delivered so far: the box's
    //! replies, whichever they are.
    uint64_t SysExReceived() const;

    HeldValues& Held() noexcept { return m_pipeline.Held(); }
    //! The EEPROM image and scan store of the last dumps.
    const CDumpReports& Reports() const noexcept { return m_pipeline.Reports(); }
    ReportOptions& Options() noexcept { return m_pipeline.Options(); }
    std::chrono::milliseconds Timeout() const { return m_settings.timeout; }

    //! Called with every line the box's replies produce, as it arrives.
    void SetLineHandler(std::function<void(std::string_view)> handler) { m_lineHandler = std::move(handler); }
    //! While set, each pass's lines are written to `out` after the pass (a
    //! failed write throws from the pass); nullptr stops it.
    void PrintLinesTo(COutput* out)
    {
        m_printTo = out;
        m_toPrint.clear();
    }

    //! From now on each pass hands the input's messages one by one to
    //! `handler`, each with its bytes, arrival time and the lines it gave
    //! (monitor's timestamps, hex and JSON); a handler that throws ends the
    //! pass. nullptr returns to whole passes.
    void HandleMessages(CMessageRelay::Handler handler);

    //! Time spent idle, waiting for the box (for the benchmarks).
    std::chrono::nanoseconds WaitedForBox() const { return m_waited; }

private:
    using Clock = std::chrono::steady_clock;

    //! The port session's lines: kept while a port opens (for the error
    //! message), printed to stderr afterwards (send failures) or always
    //! with --verbose.
    class CSessionLog : public IMessageSink {
    public:
        explicit CSessionLog(bool verbose) : m_verbose(verbose) {}
        void AppendLine(std::string_view line) override;
        std::vector<std::string> Take();
        bool collecting = false;

    private:
        bool m_verbose;
        std::vector<std::string> m_lines;
    };

    // IReplySink
    void AppendLine(std::string_view line) override;
    void ZoneRead(int zone) override;
    void SplitDone(int) override {}
    void ParameterReported(int32_t number, int32_t value) override;
    void IdentificationText(std::string_view text) override;
    void PassEnded() override {}

    //! How often a name that no device has is looked for again.
    static constexpr std::chrono::milliseconds kRelistInterval{20};
    int Resolve(const std::string& choice, bool input);
    //! The device `choice` names; nothing when it is a name no device has.
    std::optional<int> Find(const std::string& choice, bool input) const;
    //! Lists the devices again, and where each MIDI system's now lie.
    void Relist();
    //! Where each MIDI system's devices lie now; the open ports' numbers
    //! follow their system's part of the lists.
    void Recount();
    //! Takes in a listing made in the background, when it is done (or,
    //! with `wait`, waiting for it); then names the ports opened meanwhile.
    void TakeListing(bool wait);
    //! Whether `choice` names a device exactly that the listing still to
    //! come can neither precede nor share.
    bool NamedExactlyAlready(const std::string& choice, bool input) const;
    //! Names the port of `kind` on stderr, unless quiet; while a listing is
    //! pending its number is not known yet, and the line waits for it.
    void SayPort(const char* what, PortKind kind);
    //! Opens output device `device` as the output or the thru/out port
    //! (`kind`) and says so; refused with the session's lines when it fails.
    void OpenSending(PortKind kind, int device);
    std::vector<DeviceEntry> Devices(bool input) const;
    std::string Describe(int device, bool input) const;
    static std::string Describe(const DeviceEntry& entry);
    [[noreturn]] void OpenFailed(const char* what, PortKind kind);
    void Pass();
    //! Requests that have not left the output port, as hex text; any thread.
    std::vector<std::string> NotSent();
    void Idle();

    ClientSettings m_settings;
    std::vector<MidiDeviceRange> m_ranges;
    std::unique_ptr<IMidiPlatform> m_platform;
    std::unique_ptr<CaptureRings> m_rings;
    CSessionLog m_sessionLog;
    CPortSession m_session;
    CReplyPipeline m_pipeline;
    std::unique_ptr<CMessageRelay> m_relay;       //!< while messages are handled one by one
    CMessageRelay::Handler m_messageHandler;

    std::function<void(std::string_view)> m_lineHandler;
    COutput* m_printTo = nullptr;
    std::vector<std::string> m_toPrint;
    CExchangeAnswers m_answers;
    std::chrono::nanoseconds m_waited{0};
    //! Ports opened while the listing was pending, to be named once it is in.
    std::vector<std::pair<const char*, PortKind>> m_portsToSay;
};

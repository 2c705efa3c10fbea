#include "midi/jack/JackClient.h"

#include "midi/DriverHandoff.h"
#include "midi/jack/JackMidiPorts.h"

#include <jack/midiport.h>

#include <cerrno>
#include <thread>

namespace {

// libjack prints to stderr when no server runs; that is an ordinary case
// here and shows as an empty device list instead.
void Silent(const char*) {}

thread_local uint32_t t_eventTime = 0;

} // namespace

uint32_t CJackClient::CurrentEventTime() noexcept
{
    return t_eventTime;
}

void CJackClient::SetCurrentEventTime(uint32_t frame) noexcept
{
    t_eventTime = frame;
}

std::shared_ptr<CJackClient> CJackClient::Open(const std::string& name)
{
    jack_set_error_function(Silent);
    jack_set_info_function(Silent);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr)
        return nullptr;
    std::shared_ptr<CJackClient> self(new CJackClient(client));
    self->m_baseName = name;
    PublishToDriver(self.get());
    jack_on_shutdown(client, &CJackClient::OnShutdown, self.get());
    // Activated with its first port: a client that only lists costs the
    // server no place in its cycle, and starting it would take one.
    if (jack_set_process_callback(client, &CJackClient::OnProcess, self.get()) != 0)
        return nullptr;  // the destructor closes the client
    return self;
}

CJackClient::CJackClient(jack_client_t* client)
    : m_client(client)
    , m_name(jack_get_client_name(client))
{
}

CJackClient::~CJackClient()
{
    // Every port has been released by now (each holds the client); closing
    // deactivates, after which the callback no longer runs, and the server
    // removes our ports with the client.
    jack_client_close(m_client);
}

void CJackClient::OnShutdown(void* arg)
{
    AcceptFromDriver(arg);
    static_cast<CJackClient*>(arg)->m_gone.store(true, std::memory_order_release);
}

int CJackClient::OnProcess(jack_nframes_t frames, void* arg)
{
    AcceptFromDriver(arg);
    auto* self = static_cast<CJackClient*>(arg);
    // Announce the cycle before reading the table; Release() clears a slot
    // before looking at the flag. Sequential consistency keeps the two
    // pairs from passing each other.
    self->m_inProcess.store(true, std::memory_order_seq_cst);
    for (auto& slot : self->m_inputs)
        if (CJackInputPort* port = slot.load(std::memory_order_seq_cst))
            port->Process(frames);
    t_eventTime = 0;
    // Outputs after inputs: what the inputs' handlers forwarded leaves now.
    for (auto& slot : self->m_outputs)
        if (CJackOutputPort* port = slot.load(std::memory_order_seq_cst))
            port->Process(frames);
    self->m_inProcess.store(false, std::memory_order_seq_cst);
    self->m_cycles.fetch_add(1, std::memory_order_release);
    return 0;
}

std::vector<CJackClient::Port> CJackClient::MidiPorts(bool sources) const
{
    std::vector<Port> ports;
    if (Gone())
        return ports;
    const char** names =
        jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, sources ? JackPortIsOutput : JackPortIsInput);
    if (names == nullptr)
        return ports;
    for (const char** name = names; *name != nullptr; ++name) {
        jack_port_t* port = jack_port_by_name(m_client, *name);
        if (port == nullptr || jack_port_is_mine(m_client, port) || IsOwnPort(*name, m_baseName))
            continue;
        ports.push_back({*name, (jack_port_flags(port) & JackPortIsPhysical) != 0});
    }
    jack_free(names);
    return ports;
}

bool CJackClient::PortExists(const std::string& name) const
{
    return !Gone() && jack_port_by_name(m_client, name.c_str()) != nullptr;
}

bool CJackClient::IsConnected(jack_port_t* ours, const std::string& device) const
{
    return !Gone() && jack_port_connected_to(ours, device.c_str()) != 0;
}

jack_port_t* CJackClient::Register(bool input, const std::string& baseName, int& slot)
{
    slot = -1;
    if (Gone())
        return nullptr;
    if (!m_active) {
        if (jack_activate(m_client) != 0)
            return nullptr;
        m_active = true;
    }
    auto& slots = input ? m_inputSlots : m_outputSlots;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].inUse || slots[i].retired)
            continue;
        if (slots[i].port == nullptr) {
            const std::string name = i == 0 ? baseName : baseName + " " + std::to_string(i + 1);
            slots[i].port = jack_port_register(m_client, name.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                               input ? JackPortIsInput : JackPortIsOutput, 0);
            if (slots[i].port == nullptr)
                return nullptr;
        }
        slots[i].inUse = true;
        slot = static_cast<int>(i);
        return slots[i].port;
    }
    return nullptr;
}

void CJackClient::Publish(int slot, CJackInputPort* port) noexcept
{
    PublishToDriver(port);
    m_inputs[static_cast<size_t>(slot)].store(port, std::memory_order_seq_cst);
}

void CJackClient::Publish(int slot, CJackOutputPort* port) noexcept
{
    PublishToDriver(port);
    m_outputs[static_cast<size_t>(slot)].store(port, std::memory_order_seq_cst);
}

MidiResult CJackClient::Connect(const std::string& source, const std::string& destination, jack_port_t* ours,
                                const std::string& device)
{
    if (Gone())
        return MIDI_ERR_NODRIVER;
    const int result = jack_connect(m_client, source.c_str(), destination.c_str());
    if (result != 0 && result != EEXIST) {
        if (Gone())
            return MIDI_ERR_NODRIVER;
        return PortExists(device) ? MIDI_ERR_OPENFAILED : MIDI_ERR_DEVICEGONE;
    }
    // The server switches to a graph with the new connection at the start
    // of a cycle; what is sent before (the thru port's program change, a
    // first request) would be lost. Once our view shows the connection, two
    // more cycles make sure the running graph has it. Normally a few
    // milliseconds; bounded, so a stalled server cannot hold the window.
    const auto deadline = std::chrono::steady_clock::now() + kSettleTimeout;
    while (!jack_port_connected_to(ours, device.c_str())) {
        if (Gone())
            return MIDI_ERR_NODRIVER;
        if (!PortExists(device))
            return MIDI_ERR_DEVICEGONE;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    WaitCycles(2, kSettleTimeout);
    if (Gone())
        return MIDI_ERR_NODRIVER;
    // Gone while we waited: the connection went with it.
    return PortExists(device) ? MIDI_OK : MIDI_ERR_DEVICEGONE;
}

bool CJackClient::WaitOutsideCallback() const noexcept
{
    const auto deadline = std::chrono::steady_clock::now() + kReleaseTimeout;
    while (m_inProcess.load(std::memory_order_seq_cst)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

void CJackClient::Release(bool input, int slot) noexcept
{
    const auto index = static_cast<size_t>(slot);
    if (input)
        m_inputs[index].store(nullptr, std::memory_order_seq_cst);
    else
        m_outputs[index].store(nullptr, std::memory_order_seq_cst);
    Slot& record = input ? m_inputSlots[index] : m_outputSlots[index];
    if (!WaitOutsideCallback()) {
        // Only a process thread halted inside our callback gets here. Its
        // JACK port stays registered and the slot is never handed out
        // again, so the callback cannot meet another port there.
        record.retired = true;
        return;
    }
    // Never unregistered while the client lives (see the header): the port
    // only loses its connections, so that the device no longer feeds or
    // hears a closed port, and waits for the next open of this slot. After
    // a shutdown the connections went with the server; libjack has no one
    // left to ask.
    if (!Gone())
        jack_port_disconnect(m_client, record.port);
    record.inUse = false;
}

bool CJackClient::WaitCycles(unsigned cycles, std::chrono::milliseconds timeout) const
{
    const uint64_t target = m_cycles.load(std::memory_order_acquire) + cycles;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_cycles.load(std::memory_order_acquire) < target) {
        if (Gone() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

#include "JackDirectory.h"

#include "midi/DriverHandoff.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <thread>

namespace {

// libjack prints to stderr when no server runs; that is an ordinary case
// here and is reported through the device list instead.
void Silent(const char*) {}

} // namespace

CJackDirectory::CJackDirectory(const std::string& clientName)
    : m_gone(std::make_shared<std::atomic<bool>>(false))
{
    jack_set_error_function(Silent);
    jack_set_info_function(Silent);
    jack_status_t status{};
    m_client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (m_client == nullptr)
        return;
    PublishToDriver(this);
    PublishToDriver(m_gone.get());
    jack_on_shutdown(m_client, &CJackDirectory::OnShutdown, m_gone.get());
    jack_set_process_callback(m_client, &CJackDirectory::OnProcess, this);
    if (jack_activate(m_client) != 0) {
        jack_client_close(m_client);
        m_client = nullptr;
    }
}

CJackDirectory::~CJackDirectory()
{
    if (m_client != nullptr)
        jack_client_close(m_client);
}

void CJackDirectory::OnShutdown(void* arg)
{
    AcceptFromDriver(arg);
    static_cast<std::atomic<bool>*>(arg)->store(true);
}

int CJackDirectory::OnProcess(uint32_t, void* arg)
{
    AcceptFromDriver(arg);
    static_cast<CJackDirectory*>(arg)->m_cycles.fetch_add(1, std::memory_order_release);
    return 0;
}

bool CJackDirectory::WaitCycles(unsigned cycles, std::chrono::milliseconds timeout) const
{
    if (m_client == nullptr)
        return false;
    const uint64_t target = m_cycles.load(std::memory_order_acquire) + cycles;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_cycles.load(std::memory_order_acquire) < target) {
        if (m_gone->load() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

size_t CJackDirectory::ConnectionCount(const std::string& port) const
{
    if (m_client == nullptr || m_gone->load())
        return 0;
    jack_port_t* handle = jack_port_by_name(m_client, port.c_str());
    if (handle == nullptr)
        return 0;
    const char** names = jack_port_get_all_connections(m_client, handle);
    size_t count = 0;
    if (names != nullptr) {
        while (names[count] != nullptr)
            ++count;
        jack_free(names);
    }
    return count;
}

bool CJackDirectory::WaitConnected(const std::string& port, size_t before, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ConnectionCount(port) <= before) {
        if (m_gone->load() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return WaitCycles(2, timeout);
}

std::vector<CJackDirectory::Port> CJackDirectory::MidiPorts(bool sources) const
{
    std::vector<Port> ports;
    if (m_client == nullptr || m_gone->load())
        return ports;
    const char** names = jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                        sources ? JackPortIsOutput : JackPortIsInput);
    if (names == nullptr)
        return ports;
    for (const char** name = names; *name != nullptr; ++name) {
        jack_port_t* port = jack_port_by_name(m_client, *name);
        const bool physical = port != nullptr && (jack_port_flags(port) & JackPortIsPhysical) != 0;
        ports.push_back({*name, physical});
    }
    jack_free(names);
    return ports;
}

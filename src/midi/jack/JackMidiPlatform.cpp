#include "midi/jack/JackMidiPlatform.h"

#include "midi/jack/JackMidiPorts.h"

#include <utility>

CJackMidiPlatform::CJackMidiPlatform(const std::string& clientName, bool listInBackground)
    : m_clientName(clientName)
{
    if (listInBackground) {
        m_lister = std::thread([this] {
            m_listing = ListNow(m_clientName);
            m_listed.store(true, std::memory_order_release);
        });
        return;
    }
    Listing listing = ListNow(clientName);
    m_client = std::move(listing.client);
    m_inputs = std::move(listing.inputs);
    m_outputs = std::move(listing.outputs);
}

CJackMidiPlatform::Listing CJackMidiPlatform::ListNow(const std::string& clientName)
{
    Listing listing;
    listing.client = CJackClient::Open(clientName);
    if (listing.client) {
        listing.inputs = listing.client->MidiPorts(true);
        listing.outputs = listing.client->MidiPorts(false);
    }
    return listing;
}

bool CJackMidiPlatform::TakeListing(bool wait)
{
    if (!m_lister.joinable() || (!wait && !m_listed.load(std::memory_order_acquire)))
        return false;
    m_lister.join();
    m_client = std::move(m_listing.client);
    m_inputs = std::move(m_listing.inputs);
    m_outputs = std::move(m_listing.outputs);
    if (std::exchange(m_doneBeforeListed, false))
        ListingDone();
    return true;
}

void CJackMidiPlatform::Rescan()
{
    TakeListing(true);
    // Ports still open keep the client they were opened on.
    if (!m_client || m_client->Gone()) {
        JoinCloser();
        m_released = false;
        m_client = CJackClient::Open(m_clientName);
    }
    List();
}

void CJackMidiPlatform::ListingDone()
{
    if (ListingPending()) {
        m_doneBeforeListed = true;
        return;
    }
    // A port of ours holds the client too; then it stays.
    if (!m_client || m_client.use_count() != 1)
        return;
    JoinCloser();
    m_released = true;
    m_closer = std::thread([client = std::move(m_client)]() mutable { client.reset(); });
}

const std::shared_ptr<CJackClient>& CJackMidiPlatform::Client()
{
    if (m_released && !m_client) {
        JoinCloser();
        m_released = false;
        m_client = CJackClient::Open(m_clientName);
    }
    return m_client;
}

void CJackMidiPlatform::JoinCloser()
{
    if (m_closer.joinable())
        m_closer.join();
}

void CJackMidiPlatform::List()
{
    m_inputs.clear();
    m_outputs.clear();
    if (!m_client)
        return;
    m_inputs = m_client->MidiPorts(true);
    m_outputs = m_client->MidiPorts(false);
}

CJackMidiPlatform::~CJackMidiPlatform()
{
    if (m_lister.joinable())
        m_lister.join();
    JoinCloser();
}

std::string CJackMidiPlatform::InputDeviceName(int device) const
{
    return device >= 0 && device < InputDeviceCount() ? m_inputs[static_cast<size_t>(device)].name : std::string();
}

std::string CJackMidiPlatform::OutputDeviceName(int device) const
{
    return device >= 0 && device < OutputDeviceCount() ? m_outputs[static_cast<size_t>(device)].name
                                                       : std::string();
}

MidiResult CJackMidiPlatform::OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port)
{
    port.reset();
    if (device < 0 || device >= InputDeviceCount())
        return MIDI_ERR_BADDEVICEID;
    if (!Client() || m_client->Gone())
        return MIDI_ERR_NODRIVER;
    const std::string& source = m_inputs[static_cast<size_t>(device)].name;
    if (!m_client->PortExists(source))
        return MIDI_ERR_DEVICEGONE;
    int slot = -1;
    jack_port_t* ours = m_client->Register(true, m_clientName + " in", slot);
    if (ours == nullptr)
        return m_client->Gone() ? MIDI_ERR_NODRIVER : MIDI_ERR_OPENFAILED;
    // Destroying `input` on failure withdraws and releases our port.
    auto input = std::make_unique<CJackInputPort>(handler, m_client, slot, ours, source);
    const MidiResult result = m_client->Connect(source, jack_port_name(ours), ours, source);
    if (result != MIDI_OK)
        return result;
    input->Opened();
    port = std::move(input);
    return MIDI_OK;
}

MidiResult CJackMidiPlatform::OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port)
{
    port.reset();
    if (device < 0 || device >= OutputDeviceCount())
        return MIDI_ERR_BADDEVICEID;
    if (!Client() || m_client->Gone())
        return MIDI_ERR_NODRIVER;
    const CJackClient::Port& sink = m_outputs[static_cast<size_t>(device)];
    if (!m_client->PortExists(sink.name))
        return MIDI_ERR_DEVICEGONE;
    int slot = -1;
    jack_port_t* ours = m_client->Register(false, m_clientName + " out", slot);
    if (ours == nullptr)
        return m_client->Gone() ? MIDI_ERR_NODRIVER : MIDI_ERR_OPENFAILED;
    auto output = std::make_unique<CJackOutputPort>(m_client, slot, ours, sink.name,
                                                   sink.physical ? kMidiWireBytesPerSecond : 0);
    const MidiResult result = m_client->Connect(jack_port_name(ours), sink.name, ours, sink.name);
    if (result != MIDI_OK)
        return result;
    port = std::move(output);
    return MIDI_OK;
}

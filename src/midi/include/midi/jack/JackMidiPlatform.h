// The MIDI ports of a running JACK server as devices: sources as inputs,
// sinks as outputs, listed when the platform is created and on Rescan().
// Ports of our own (of this or another instance of the program) are not
// listed. JACK is used only when its server already runs; none is ever
// started. A rescan finds a server that started (or started again) since.
//
// Every port the program opens is a port of one JACK client of ours
// (CJackClient), named after the client name it is given: "zm_config in",
// "zm_config out", "zm_config out 2" and so on. Opening connects the device
// to that port by name, so a device that vanished since the listing gives
// MIDI_ERR_DEVICEGONE and never another device, and returns once the
// connection carries data (bounded wait). Hardware ports report the MIDI
// wire speed so that the transmitter paces them.
//
// Once the server has shut down, opens and sends fail with
// MIDI_ERR_NODRIVER and closing never waits for it. A port whose connection
// to its device is gone reports DeviceGone().
//
// Listed in the background (zmctl, whose box is often elsewhere), the
// client is opened and the ports are listed on a thread of their own while
// the program goes on; the platform lists nothing until TakeListing() takes
// that listing in. ListingDone() before then takes effect at that point.
//
// Threading contract: everything here runs on the window thread; the ports
// it opens follow IMidiPlatform's contract, detailed in JackMidiPorts.h and
// JackClient.h. Ports may outlive the platform. A background listing owns
// the client and its lists alone until it is joined.
#pragma once

#include "midi/jack/JackClient.h"
#include "midi/MidiPlatform.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CJackMidiPlatform : public IMidiPlatform {
public:
    explicit CJackMidiPlatform(const std::string& clientName, bool listInBackground = false);
    ~CJackMidiPlatform() override;

    void Rescan() override;
    //! A client that carries no port of ours is closed on a thread of its
    //! own: JACK lets a closing client go only after a cycle.
    void ListingDone() override;
    bool ListingPending() const override { return m_lister.joinable(); }
    bool TakeListing(bool wait) override;
    int InputDeviceCount() const override { return static_cast<int>(m_inputs.size()); }
    int OutputDeviceCount() const override { return static_cast<int>(m_outputs.size()); }
    std::string InputDeviceName(int device) const override;
    std::string OutputDeviceName(int device) const override;
    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override;
    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override;

private:
    void List();
    //! The client, opened again when ListingDone() let it go.
    const std::shared_ptr<CJackClient>& Client();
    void JoinCloser();

    //! What the background listing found; the lister's alone until joined.
    struct Listing {
        std::shared_ptr<CJackClient> client;
        std::vector<CJackClient::Port> inputs;
        std::vector<CJackClient::Port> outputs;
    };
    static Listing ListNow(const std::string& clientName);

    std::string m_clientName;
    std::shared_ptr<CJackClient> m_client;
    bool m_released = false;  //!< the client was let go by ListingDone()
    std::thread m_closer;     //!< closes the client let go
    std::thread m_lister;     //!< the background listing, until taken in
    std::atomic<bool> m_listed{false};
    Listing m_listing;
    bool m_doneBeforeListed = false;  //!< ListingDone() came before the listing
    std::vector<CJackClient::Port> m_inputs;
    std::vector<CJackClient::Port> m_outputs;
};

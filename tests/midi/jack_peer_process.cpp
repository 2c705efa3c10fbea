// The other end of our JACK ports, as a process of its own: a peer client
// (CMidiJackPeer) that keeps its port "out" busy with notes and now and then
// a short System Exclusive message, and prints every System Exclusive
// message that reaches its port "in" as one line of hex bytes. It says
// "ready" once its ports exist and ends when its standard input closes.
//
// Being another process matters under ThreadSanitizer: JACK hands a port's
// buffer from one client to the next through shared memory and its own
// semaphores, which the sanitizer cannot see; with the peer in the test's
// own process every message would look like a race.
//
// Usage: zm_jack_peer CLIENT_NAME
#include "MidiJackPeer.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CLIENT_NAME\n", argv[0]);
        return 2;
    }
    CMidiJackPeer peer(argv[1], {"in", "thru_in"});
    std::printf("ready %s\n", peer.PortName("out").c_str());
    std::fflush(stdout);
    for (uint32_t n = 0;; ++n) {
        peer.Send({0x90, static_cast<uint8_t>(n & 0x7F), 0x40});
        if (n % 8 == 0)
            peer.Send({0xF0, 0x09, 0x1B, 0xF7});
        for (const CMidiJackPeer::Received& r : peer.Take(0, std::chrono::milliseconds(0))) {
            if (r.port != 0 || r.bytes.empty() || r.bytes[0] != 0xF0)
                continue;
            for (size_t i = 0; i < r.bytes.size(); ++i)
                std::printf(i == 0 ? "%02X" : " %02X", r.bytes[i]);
            std::printf("\n");
        }
        std::fflush(stdout);
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (::poll(&in, 1, 0) > 0) {
            char byte;
            if (::read(STDIN_FILENO, &byte, 1) <= 0)
                return 0;
        }
        usleep(200);
    }
}

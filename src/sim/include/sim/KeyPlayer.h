// The "player" inside the simulated box: an imaginary pianist at the keys,
// whose key presses the box turns into note-ons and note-offs through its
// zones. Time-driven and deterministic: the same seed and the same calls
// give the same messages, however Advance's time is cut up (below the
// catch-up limit).
#pragma once

#include "sim/SimDevice.h"

#include <array>
#include <cstdint>

//! One zone's eight bytes, in the order the box numbers them.
using SimZoneRecord = std::array<uint8_t, 8>;

enum SimZoneByte : int {
    kZoneLoKey = 0,
    kZoneHiKey = 1,
    kZoneLoNote = 2,
    kZoneMidiChan = 3,
    kZoneAtkVel = 4,
    kZoneRelVel = 5,
    kZoneAtkType = 6,
    kZoneAftrtchType = 7,
};

//! What the box's settings say about how key presses sound, read at every
//! Advance so that a change takes effect with the next key pressed.
struct SimPlaySetup {
    const std::array<SimZoneRecord, 4>* zones = nullptr;
    int muteBits = 0xF;   //!< bit z set: zone z sounds
    int keys = 88;        //!< keys 0 … keys-1 exist
    int stuckKey = -1;    //!< once down, never comes up while playing
    int shortKey = -1;    //!< travels only part of the way: weak velocities
};

//! Presses and releases keys over time and sends the notes they play.
class CKeyPlayer {
public:
    static constexpr int kMaxKeys = 128;
    //! A longer Advance is not played out note by note (see Advance).
    static constexpr uint64_t kMaxCatchUpMicros = 2'000'000;
    static constexpr uint64_t kNever = UINT64_MAX;

    explicit CKeyPlayer(uint64_t seed);

    //! Playing starts shortly after the next Advance begins.
    void Start();
    //! Nothing new is pressed; every key still down, a stuck one too, is
    //! let go at the start of the next Advance, so no note is left hanging.
    void Stop();
    bool Playing() const { return m_playing; }

    //! Moves the clock on by `micros` and emits every message due, in time
    //! order. After a gap longer than kMaxCatchUpMicros (a stalled host) the
    //! keys down are let go and playing resumes from the new time, rather
    //! than flooding the port with the missed music.
    void Advance(uint64_t micros, const SimPlaySetup& setup, ISimReplySink& out);

    uint64_t Now() const { return m_now; }
    bool KeyDown(int key) const;
    //! True while some key is down (a stopped player lets go at the next Advance).
    bool AnyKeyDown() const;

    //! The velocity a zone sends for a raw key velocity: setting 0 ("off")
    //! sends a fixed 64, 14 ("normal") the raw velocity, any other setting
    //! scales it by setting/14, clamped to 1 … 127.
    static uint8_t ShapeVelocity(int setting, int raw);

private:
    struct SentNote {
        uint8_t status, note, releaseVelocity;
    };
    struct KeyState {
        bool down = false;
        uint64_t releaseAt = kNever;
        uint8_t noteCount = 0;
        std::array<SentNote, 4> notes{};
    };

    uint32_t Random(uint32_t lo, uint32_t hi);  // inclusive
    void Settle(const SimPlaySetup& setup);
    void Strike(const SimPlaySetup& setup, ISimReplySink& out);
    void Press(int key, const SimPlaySetup& setup, ISimReplySink& out);
    void Release(int key, ISimReplySink& out);

    uint64_t m_rng;
    uint64_t m_now = 0;
    uint64_t m_nextStrike = kNever;
    bool m_playing = false;
    int m_hand = 44;  //!< where the pianist's hand hovers
    std::array<KeyState, kMaxKeys> m_keys{};
};

#include "sim/KeyPlayer.h"

#include <algorithm>

namespace {

constexpr uint64_t kMilli = 1000;
constexpr uint64_t kStartDelay = 50 * kMilli;

uint64_t SaturatingAdd(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

}  // namespace

CKeyPlayer::CKeyPlayer(uint64_t seed) : m_rng(seed | 1) {}

uint32_t CKeyPlayer::Random(uint32_t lo, uint32_t hi)
{
    // xorshift64*: small, fast and the same on every platform.
    m_rng ^= m_rng >> 12;
    m_rng ^= m_rng << 25;
    m_rng ^= m_rng >> 27;
    const uint64_t r = (m_rng * 0x2545F4914F6CDD1Dull) >> 32;
    return lo + static_cast<uint32_t>(r % (uint64_t{hi} - lo + 1));
}

uint8_t CKeyPlayer::ShapeVelocity(int setting, int raw)
{
    if (setting == 0)
        return 64;
    return static_cast<uint8_t>(std::clamp(raw * setting / 14, 1, 127));
}

bool CKeyPlayer::AnyKeyDown() const
{
    for (const KeyState& key : m_keys)
        if (key.down)
            return true;
    return false;
}

bool CKeyPlayer::KeyDown(int key) const
{
    return key >= 0 && key < kMaxKeys && m_keys[static_cast<size_t>(key)].down;
}

void CKeyPlayer::Start()
{
    if (m_playing)
        return;
    m_playing = true;
    m_nextStrike = SaturatingAdd(m_now, kStartDelay);
}

void CKeyPlayer::Stop()
{
    m_playing = false;
    m_nextStrike = kNever;
    for (KeyState& k : m_keys)
        if (k.down)
            k.releaseAt = m_now;
}

// Applies what changed since the last Advance: a key that has just become
// the stuck one stays down, one that stopped being stuck (or whose key no
// longer exists) comes up now.
void CKeyPlayer::Settle(const SimPlaySetup& setup)
{
    for (int k = 0; k < kMaxKeys; ++k) {
        KeyState& st = m_keys[static_cast<size_t>(k)];
        if (!st.down)
            continue;
        if (m_playing && k == setup.stuckKey && k < setup.keys)
            st.releaseAt = kNever;
        else if (st.releaseAt == kNever || k >= setup.keys)
            st.releaseAt = m_now;
    }
}

void CKeyPlayer::Advance(uint64_t micros, const SimPlaySetup& setup, ISimReplySink& out)
{
    Settle(setup);
    if (micros > kMaxCatchUpMicros) {
        for (int k = 0; k < kMaxKeys; ++k)
            if (m_keys[static_cast<size_t>(k)].releaseAt != kNever)
                Release(k, out);
        m_now = SaturatingAdd(m_now, micros);
        if (m_playing)
            m_nextStrike = SaturatingAdd(m_now, kStartDelay);
        return;
    }

    // Every pass handles one event and either frees a key or moves the next
    // strike strictly later, so the loop ends within the catch-up window.
    const uint64_t target = SaturatingAdd(m_now, micros);
    for (;;) {
        int key = -1;
        uint64_t when = kNever;
        for (int k = 0; k < kMaxKeys; ++k) {
            const KeyState& st = m_keys[static_cast<size_t>(k)];
            if (st.down && st.releaseAt < when) {
                when = st.releaseAt;
                key = k;
            }
        }
        // A key let go at the same moment can be struck again.
        const bool strike = m_playing && m_nextStrike < when;
        if (strike)
            when = m_nextStrike;
        if (when == kNever || when > target)
            break;
        m_now = std::max(m_now, when);
        if (strike)
            Strike(setup, out);
        else
            Release(key, out);
    }
    m_now = target;
}

void CKeyPlayer::Strike(const SimPlaySetup& setup, ISimReplySink& out)
{
    const int keys = std::clamp(setup.keys, 1, kMaxKeys);
    m_hand = std::clamp(m_hand + static_cast<int>(Random(0, 12)) - 6, 0, keys - 1);

    // Mostly single notes, sometimes an interval or a chord over the hand.
    const uint32_t kind = Random(0, 99);
    const int count = kind < 60 ? 1 : kind < 85 ? 2 : static_cast<int>(Random(3, 4));
    const int third = static_cast<int>(Random(3, 4));
    const int shape[4] = {0, third, 7, 12};
    for (int i = 0; i < count; ++i)
        Press(m_hand + shape[i], setup, out);

    m_nextStrike = SaturatingAdd(m_now, Random(120, 700) * kMilli);
}

void CKeyPlayer::Press(int key, const SimPlaySetup& setup, ISimReplySink& out)
{
    // Draw before any check so the sequence does not depend on the zones.
    int raw = static_cast<int>(Random(40, 115));
    const int rawRelease = static_cast<int>(Random(30, 100));
    const uint64_t hold = Random(100, 800) * kMilli;
    if (key < 0 || key >= setup.keys || key >= kMaxKeys)
        return;
    KeyState& st = m_keys[static_cast<size_t>(key)];
    if (st.down)
        return;
    if (key == setup.shortKey)
        raw = std::max(1, raw / 4);

    st.down = true;
    st.releaseAt = key == setup.stuckKey ? kNever : SaturatingAdd(m_now, hold);
    st.noteCount = 0;
    if (!setup.zones)
        return;
    for (int z = 0; z < 4; ++z) {
        if (!((setup.muteBits >> z) & 1))
            continue;
        const SimZoneRecord& zone = (*setup.zones)[static_cast<size_t>(z)];
        if (key < zone[kZoneLoKey] || key > zone[kZoneHiKey])
            continue;
        const int note = zone[kZoneLoNote] + key - zone[kZoneLoKey];
        if (note > 127)
            continue;
        const uint8_t channel = zone[kZoneMidiChan] & 0x0F;
        const uint8_t on[3] = {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(note),
                               ShapeVelocity(zone[kZoneAtkVel], raw)};
        out.Reply(on, sizeof on);
        // The note-off goes out as sent now, even if the zone changes while
        // the key is down: a synthesiser must get back the note it got.
        st.notes[st.noteCount++] = {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(note),
                                    ShapeVelocity(zone[kZoneRelVel], rawRelease)};
    }
}

void CKeyPlayer::Release(int key, ISimReplySink& out)
{
    KeyState& st = m_keys[static_cast<size_t>(key)];
    for (int i = 0; i < st.noteCount; ++i) {
        const SentNote& n = st.notes[static_cast<size_t>(i)];
        const uint8_t off[3] = {n.status, n.note, n.releaseVelocity};
        out.Reply(off, sizeof off);
    }
    st = KeyState{};
}

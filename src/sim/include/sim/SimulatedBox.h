// A model of a ZM1 key-scanner box, to stand behind the simulator ports. It
// answers the program's System Exclusive requests as a box would, keeps
// four zones, the 32-parameter table and a 2048-byte EEPROM, and, while
// playing, turns an imaginary pianist's key presses into notes through its
// zones.
//
// Two parameters the program leaves unnamed steer the model:
//
// - ZmFunc_Reserved_8 (8): the key stream. 1 starts playing, 0 stops it
//   (the keys down are let go at the next Advance); reads back 1 while
//   playing. Other values are refused.
// - ZmFunc_Reserved_5 (5): a simulated fault. 0 none; 1 … 127: key
//   (value − 1) has a sensor with short travel: its calibrated down value
//   lies close to its rest value and it plays weak velocities; 128 + k:
//   key k is stuck: once pressed it stays down and its notes are never
//   let go while playing (clearing the fault or stopping lets it go).
//
// Parameter actions: a non-zero write to ZmFunc_ClearEEprom (2) erases the
// calibration, to ZmFunc_RestrEEprom (3) restores the factory calibration,
// to ZmFunc_DumpEEprom (7) sends the EEPROM dump; each reads back 0.
// ZmFunc_SoftwareRev (1) and ZmFunc_EepromFreeB (4) are read-only. A
// refused write (read-only, value out of range, no such parameter) is
// answered with a text line and changes nothing.
//
// Malformed requests, unknown commands and short messages get no answer.
// Not thread-safe: one thread at a time calls OnMessage and Advance.
#pragma once

#include "protocol/BoxParameters.h"
#include "sim/BoxEeprom.h"
#include "sim/KeyPlayer.h"
#include "sim/SimDevice.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

//! The simulated box as a device behind the simulator ports.
class CSimulatedBox : public ISimDevice {
public:
    static constexpr int kZoneCount = 4;
    static constexpr int kTableBytes = 128;
    static constexpr uint64_t kDefaultSeed = 0x5A4D31;  // "ZM1"

    static constexpr int kParamPlay = ZmFunc_Reserved_8;
    static constexpr int kParamFault = ZmFunc_Reserved_5;
    static constexpr int kFaultStuckBase = 128;

    using Table = std::array<uint8_t, kTableBytes>;

    //! A box as delivered: the "Piano" layout in every zone, 88 keys, the
    //! factory calibration drawn from `seed`, not playing.
    explicit CSimulatedBox(uint64_t seed = kDefaultSeed);

    //! Answers one request; every reply is one whole message to `replies`.
    void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) override;

    //! Moves the box's clock on and emits the notes due (see CKeyPlayer).
    void Advance(uint64_t micros, ISimReplySink& out) override;
    //! While playing, and until the last key is let go after a stop.
    bool NeedsTime() const override { return m_player.Playing() || m_player.AnyKeyDown(); }
    void SetPlaying(bool playing);
    bool Playing() const { return m_player.Playing(); }

    const SimZoneRecord& Zone(int zone) const { return m_zones[static_cast<size_t>(zone)]; }
    //! Parameter 0 … 31 as the box would report it; -1 for any other.
    int32_t Parameter(int number) const;
    int KeyCount() const { return m_eeprom.Keys(); }
    const CBoxEeprom& Eeprom() const { return m_eeprom; }

    //! Bit z of entry k set when key k lies in zone z's key range.
    Table ZoneEnableTable() const;
    //! The note key k plays in `zone`, 7F where it plays none.
    Table ZoneKeymap(int zone) const;
    //! 1 for each key down.
    Table RawKeydownMap() const;
    //! The sensor reading of `key` now: its rest value, or its down value
    //! while down, with a little noise (each read draws new noise).
    uint8_t ReadScanValue(int key);
    bool KeyDown(int key) const { return m_player.KeyDown(key); }

    //! Sent after a revision acknowledgement (without the closing CR LF).
    std::string IdentificationText() const;
    std::string StationName() const;

private:
    class CReply;

    void RevisionRequest(ISimReplySink& out);
    void SetParameter(int number, int32_t value, ISimReplySink& out);
    void ReportParameter(int number, ISimReplySink& out);
    void FieldOperation(const uint8_t* body, size_t length, ISimReplySink& out);
    void SendEepromDump(ISimReplySink& out);
    void PeekEeprom(const uint8_t* body, size_t length, ISimReplySink& out);
    void PokeEeprom(const uint8_t* body, size_t length, ISimReplySink& out);
    void SendScanDump(ISimReplySink& out);

    bool Refuse(int number, int32_t value, ISimReplySink& out);
    void ApplyFault(int32_t fault);
    void WriteParametersToEeprom();
    void ReadParametersFromEeprom();
    SimPlaySetup PlaySetup() const;
    static void SendTextLine(const std::string& text, ISimReplySink& out);
    static void SendEightBitText(const std::string& text, ISimReplySink& out);

    std::array<SimZoneRecord, kZoneCount> m_zones{};
    std::array<int32_t, kParameterCount> m_params{};
    CBoxEeprom m_eeprom;
    CKeyPlayer m_player;
    uint64_t m_noise;
};
